// Sending one message to many signs, as lumavane-send does (TMultiSend, the same core):
// - FiftySignsOverLoopback: the largest message (1000 blocks of 255 characters, every other
//   one centred on a line 999 wide) to 50 readers on 127.0.0.1, each with a thread of its own,
//   against the same message to one of them. Reports the mean time of each over several runs
//   and their ratio (goal: under 3, the signs truly served side by side), with readers as fast
//   as the machine and with readers that take 1 MB a second.
// - SerialAt19200: a message of about 20 KB through a pseudo-terminal whose reader takes the
//   bytes no faster than a 19200-baud line would (ten bits a byte). Reports the time until the
//   last byte has reached the reader and the time until the send ended, each against the line
//   time (goal: within 1 %). The pseudo-terminal holds part of the message unread, so the send
//   ends before the line would; a real port's send ends when its last byte has left.
// Nothing but loopback sockets and a pseudo-terminal of its own.

#include "sign/multi_send.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> largestMessage() {
    const char* codes[] = {"^G^", "^F^", "^Y^", "^R^", "^F^", "^G^"};
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) {
        std::string text;
        int code = i % 6;
        while (text.size() < kMaxBlockText) {
            text += std::string(3 + (text.size() + i) % 9, static_cast<char>('A' + i % 26));
            text += codes[code++ % 6];
        }
        text.resize(kMaxBlockText);
        lines.push_back((i % 2 == 0 ? "Centered," : "NotCentered,") + text);
    }
    return lines;
}

std::size_t streamSize(const std::vector<std::string>& lines, int start, int width) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, start, width);
    return buffer.size();
}

// A sign on 127.0.0.1: reads every connection to its end on a thread of its own, no faster
// than `bytesPerSecond` (0: as fast as it can).
class LoopbackReader {
public:
    explicit LoopbackReader(std::size_t bytesPerSecond = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen on the loopback interface");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, bytesPerSecond] {
            char buffer[65536];
            while (!stop_) {
                pollfd watch{fd_, POLLIN, 0};
                if (::poll(&watch, 1, 20) <= 0)
                    continue;
                const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
                const auto start = Clock::now();
                std::size_t got = 0;
                for (ssize_t n = 1; peer >= 0 && n > 0;) {
                    std::size_t room = sizeof buffer;
                    if (bytesPerSecond > 0) {
                        const double seconds =
                            std::chrono::duration<double>(Clock::now() - start).count();
                        const auto allowed = static_cast<std::size_t>(seconds * bytesPerSecond);
                        room = std::min(room, allowed > got ? allowed - got : 0);
                        if (room == 0) {
                            std::this_thread::sleep_for(std::chrono::milliseconds(2));
                            continue;
                        }
                    }
                    n = ::read(peer, buffer, room);
                    if (n > 0)
                        got += static_cast<std::size_t>(n);
                }
                received_ += got;
                ::close(peer);
            }
        });
    }
    ~LoopbackReader() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    int port() const { return port_; }
    std::size_t received() const { return received_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ = false;
    std::atomic<std::size_t> received_ = 0;
    std::thread thread_;
};

// Runs the message to these readers once; the wall time in seconds. Every sign must be sent.
double sendOnce(const std::vector<std::unique_ptr<LoopbackReader>>& readers, std::size_t count,
                const std::vector<std::string>& lines) {
    std::vector<TSignJob> jobs;
    for (std::size_t i = 0; i < count; ++i)
        jobs.push_back(
            {"s" + std::to_string(i), TSignLink::Network("127.0.0.1", readers[i]->port()), 1, 999});
    TMultiSend run(jobs, lines);
    auto receivedByAll = [&] {
        std::size_t sum = 0;
        for (std::size_t i = 0; i < count; ++i)
            sum += readers[i]->received();
        return sum;
    };
    const std::size_t before = receivedByAll();
    const auto start = Clock::now();
    run.Run();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (const TSignReport& report : run.Reports()) {
        if (report.state != TSignReport::State::Sent)
            throw std::runtime_error("a sign was not sent: " + report.reason);
    }
    // A sign counts as sent once it has read everything and closed: the bytes are all there.
    if (receivedByAll() - before != count * streamSize(lines, 1, 999))
        throw std::runtime_error("the readers did not get every byte");
    return seconds;
}

// state.range(0): the pace of each sign in bytes a second (0: as fast as the machine reads).
void FiftySignsOverLoopback(benchmark::State& state) {
    constexpr std::size_t kSigns = 50;
    const int kRuns = state.range(0) == 0 ? 5 : 2;
    const std::vector<std::string> lines = largestMessage();
    std::vector<std::unique_ptr<LoopbackReader>> readers;
    for (std::size_t i = 0; i < kSigns; ++i)
        readers.push_back(
            std::make_unique<LoopbackReader>(static_cast<std::size_t>(state.range(0))));
    double one = 0;
    double fifty = 0;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            one += sendOnce(readers, 1, lines);
            fifty += sendOnce(readers, kSigns, lines);
        }
        state.SetIterationTime(fifty / kRuns);
    }
    state.counters["stream_bytes"] = static_cast<double>(streamSize(lines, 1, 999));
    state.counters["one_sign_ms"] = one / kRuns * 1000;
    state.counters["fifty_signs_ms"] = fifty / kRuns * 1000;
    state.counters["fifty_over_one"] = fifty / one;
}
// As fast as the loopback interface goes, and at 1 MB/s a sign (a sign's own network interface
// is no faster): the first measures the processor, the second whether the signs are served side
// by side.
BENCHMARK(FiftySignsOverLoopback)
    ->Arg(0)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void SerialAt19200(benchmark::State& state) {
    constexpr int kBaud = 19200;
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);

    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back("NotCentered,^G^" + std::string(195, static_cast<char>('A' + i % 26)));
    const std::size_t total = streamSize(lines, 1, 20);
    const double lineTime = total * 10.0 / kBaud;

    // Takes the bytes no faster than the line carries them, counting from the first byte.
    std::atomic<std::size_t> received = 0;
    std::atomic<bool> stop = false;
    Clock::time_point lastByte;
    std::thread line([&] {
        std::optional<Clock::time_point> first;
        char buffer[64];
        while (!stop && received < total) {
            const std::size_t allowed =
                first
                    ? static_cast<std::size_t>(
                          std::chrono::duration<double>(Clock::now() - *first).count() * kBaud / 10)
                    : sizeof buffer;
            if (received >= allowed) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
            pollfd watch{master, POLLIN, 0};
            if (::poll(&watch, 1, 20) <= 0)
                continue;
            const ssize_t n =
                ::read(master, buffer, std::min(sizeof buffer, allowed - received.load()));
            if (n <= 0)
                continue;
            // The line starts with the first byte: as if it had carried that first piece.
            if (!first)
                first = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(n * 10.0 / kBaud));
            received += static_cast<std::size_t>(n);
            lastByte = Clock::now();
        }
    });

    double done = 0;
    double arrived = 0;
    std::size_t unread = 0;
    for (auto _ : state) {
        TMultiSend run({{"serial", TSignLink::Serial(0, kBaud, name), 1, 20}}, lines);
        const auto start = Clock::now();
        run.Run();
        done = std::chrono::duration<double>(Clock::now() - start).count();
        unread = total - received;
        if (run.Reports().front().state != TSignReport::State::Sent) {
            stop = true;
            line.join();
            throw std::runtime_error("the serial sign was not sent");
        }
        line.join();
        arrived = std::chrono::duration<double>(lastByte - start).count();
        state.SetIterationTime(arrived);
    }
    stop = true;
    if (line.joinable())
        line.join();
    state.counters["bytes"] = static_cast<double>(total);
    state.counters["line_time_s"] = lineTime;
    state.counters["last_byte_over_line_time"] = arrived / lineTime;
    state.counters["send_ended_over_line_time"] = done / lineTime;
    state.counters["unread_when_ended"] = static_cast<double>(unread);
    ::close(master);
    ::close(slave);
}
BENCHMARK(SerialAt19200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
