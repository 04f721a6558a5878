// The network link's send cycle against a reader on the loopback interface: connect, write one
// full send buffer (40,000 bytes), disconnect. Reports the median time of one cycle and the
// process's open file descriptors before and after, which must not grow.

#include "links/net_errors.h"
#include "links/tcpclient.h"
#include "support/core/loopback_peer.h"
#include "support/core/process_counts.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

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
        // Reads each connection to its end, counting the bytes and the connections that ended
        // in order.
        LoopbackPeer reader(LoopbackPeer::Behaviour::ReadAll, {.keepBytes = false});
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
        state.counters["all_bytes_arrived"] =
            reader.receivedSize() == static_cast<std::size_t>(expected) ? 1 : 0;
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

// Connects `client` to `port` once per iteration with `timeoutMs`; the time of each connect in
// microseconds. `failures` counts the connects that fail with a `Failure`.
template <class Failure>
std::vector<double> timeConnects(benchmark::State& state, int port, int timeoutMs, int& failures) {
    TTcpClient client;
    client.Host = "127.0.0.1";
    client.Port = port;
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = Clock::now();
        try {
            client.Connect(timeoutMs);
        } catch (const Failure&) {
            ++failures;
        }
        samples.push_back(microsecondsSince(start));
    }
    return samples;
}

// A refused connect with the system's 3000 ms time-out is reported as soon as the refusal
// arrives, not after some fixed polling step.
void BM_ConnectRefused(benchmark::State& state) {
    // Bound, never listening: every connect is refused.
    const LoopbackPeer bound(LoopbackPeer::Behaviour::Refuse);
    int refusals = 0;
    const std::vector<double> samples =
        timeConnects<EConnectFailed>(state, bound.port(), 3000, refusals);
    state.counters["median_us_to_refusal"] = medianMicroseconds(samples);
    state.counters["refusals"] = refusals;
}
BENCHMARK(BM_ConnectRefused)->Iterations(1000)->Unit(benchmark::kMicrosecond);

// A peer that never answers: the time-out fires at its deadline. Reports how far past the
// deadline the failure comes back.
void BM_ConnectTimeout(benchmark::State& state) {
    const int timeoutMs = static_cast<int>(state.range(0));
    // The listener never accepts; with its queue full, further connection requests go
    // unanswered.
    const LoopbackPeer silent(LoopbackPeer::Behaviour::NeverAnswer);
    int timeouts = 0;
    std::vector<double> overshoot =
        timeConnects<EConnectTimeout>(state, silent.port(), timeoutMs, timeouts);
    for (double& us : overshoot)
        us -= timeoutMs * 1000.0;
    state.counters["median_us_past_deadline"] = medianMicroseconds(overshoot);
    state.counters["most_us_past_deadline"] =
        overshoot.empty() ? 0 : *std::max_element(overshoot.begin(), overshoot.end());
    state.counters["timeouts"] = timeouts;
}
BENCHMARK(BM_ConnectTimeout)->Arg(50)->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
