// The network link's send cycle against a reader on the loopback interface: connect, write one
// full send buffer (40,000 bytes), disconnect. Reports the median time of one cycle and the
// process's open file descriptors before and after, which must not grow.

#include "links/net_errors.h"
#include "links/tcpclient.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int openFdCount() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1;
}

// A socket on 127.0.0.1 with a port that the system picks; listening when backlog >= 0.
int loopbackSocket(int backlog, int* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (backlog >= 0)
        ::listen(fd, backlog);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    *port = ntohs(address.sin_port);
    return fd;
}

// Accepts connection after connection and reads each to its end, counting the bytes and the
// connections that ended in order.
class LoopbackReader {
public:
    LoopbackReader() {
        listener_ = loopbackSocket(16, &port_);
        thread_ = std::thread([this] { run(); });
    }
    ~LoopbackReader() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    int port() const { return port_; }
    long long bytes() const { return bytes_.load(); }
    int orderlyEnds() const { return orderlyEnds_.load(); }

private:
    void run() {
        std::vector<char> buffer(65536);
        while (!stop_) {
            pollfd watch{listener_, POLLIN, 0};
            if (::poll(&watch, 1, 20) != 1)
                continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            while (true) {
                const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
                if (got <= 0) {
                    if (got == 0)
                        ++orderlyEnds_;
                    break;
                }
                bytes_ += got;
            }
            ::close(fd);
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long long> bytes_{0};
    std::atomic<int> orderlyEnds_{0};
    std::thread thread_;
};

double medianMicroseconds(std::vector<double> samples) {
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void BM_SendCycle(benchmark::State& state) {
    const std::string buffer(40000, 'A');
    std::vector<double> samples;
    samples.reserve(1000);
    const int fdsBefore = openFdCount();
    long long expected = 0;
    int cycles = 0;
    {
        LoopbackReader reader;
        TTcpClient client;
        client.Host = "127.0.0.1";
        client.Port = reader.port();
        for (auto _ : state) {
            const auto start = Clock::now();
            client.Connect(3000);
            client.Write(buffer.data(), static_cast<int>(buffer.size()));
            client.Disconnect();
            samples.push_back(microsecondsSince(start));
            expected += static_cast<long long>(buffer.size());
            ++cycles;
            // Like the sign, the reader is idle again before the next send starts.
            state.PauseTiming();
            while (reader.orderlyEnds() < cycles)
                std::this_thread::yield();
            state.ResumeTiming();
        }
        state.counters["all_bytes_arrived"] = reader.bytes() == expected ? 1 : 0;
        state.counters["orderly_ends"] = reader.orderlyEnds();
    }
    state.counters["median_us_per_send"] = medianMicroseconds(samples);
    state.counters["slowest_us"] =
        samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
    state.counters["over_10ms"] = static_cast<double>(
        std::count_if(samples.begin(), samples.end(), [](double us) { return us > 10000; }));
    state.counters["fds_before"] = fdsBefore;
    state.counters["fds_after"] = openFdCount();
    state.SetBytesProcessed(expected);
}
BENCHMARK(BM_SendCycle)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// A refused connect with the system's 3000 ms time-out is reported as soon as the refusal
// arrives, not after some fixed polling step.
void BM_ConnectRefused(benchmark::State& state) {
    int port = 0;
    const int bound = loopbackSocket(-1, &port); // bound, never listening: every connect refused
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = port;
    std::vector<double> samples;
    int refusals = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        try {
            client.Connect(3000);
        } catch (const EConnectFailed&) {
            ++refusals;
        }
        samples.push_back(microsecondsSince(start));
    }
    ::close(bound);
    state.counters["median_us_to_refusal"] = medianMicroseconds(samples);
    state.counters["refusals"] = refusals;
}
BENCHMARK(BM_ConnectRefused)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// A peer that never answers: the time-out fires at its deadline. Reports how far past the
// deadline the failure comes back.
void BM_ConnectTimeout(benchmark::State& state) {
    const int timeoutMs = static_cast<int>(state.range(0));
    int port = 0;
    const int listener = loopbackSocket(0, &port);
    // The listener never accepts; with its queue full, further connection requests go
    // unanswered.
    std::vector<int> queued;
    for (int i = 0; i < 2; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        queued.push_back(fd);
    }
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = port;
    std::vector<double> overshoot;
    int timeouts = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        try {
            client.Connect(timeoutMs);
        } catch (const EConnectTimeout&) {
            ++timeouts;
        }
        overshoot.push_back(microsecondsSince(start) - timeoutMs * 1000.0);
    }
    for (const int fd : queued)
        ::close(fd);
    ::close(listener);
    state.counters["median_us_past_deadline"] = medianMicroseconds(overshoot);
    state.counters["most_us_past_deadline"] =
        overshoot.empty() ? 0 : *std::max_element(overshoot.begin(), overshoot.end());
    state.counters["timeouts"] = timeouts;
}
BENCHMARK(BM_ConnectTimeout)->Arg(50)->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
