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

#include "bench_support.h"
#include "fleet/multi_send.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_pty.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::size_t streamSize(const std::vector<std::string>& lines, int start, int width) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, start, width);
    return buffer.size();
}

// A sign on 127.0.0.1 that reads every connection to its end, no faster than `bytesPerSecond`
// (0: as fast as it can): pieces of a hundredth of a second's worth, a hundredth apart.
std::unique_ptr<LoopbackPeer> loopbackReader(std::size_t bytesPerSecond) {
    LoopbackPeer::Options options;
    options.keepBytes = false;
    if (bytesPerSecond > 0) {
        options.chunk = bytesPerSecond / 100;
        options.pause = std::chrono::milliseconds(10);
    }
    return std::make_unique<LoopbackPeer>(LoopbackPeer::Behaviour::ReadAll, options);
}

// Runs the message to these readers once; the wall time in seconds. Every sign must be sent.
double sendOnce(const std::vector<std::unique_ptr<LoopbackPeer>>& readers, std::size_t count,
                const std::vector<std::string>& lines) {
    std::vector<TSignJob> jobs;
    for (std::size_t i = 0; i < count; ++i)
        jobs.push_back(
            {"s" + std::to_string(i), TSignLink::Network("127.0.0.1", readers[i]->port()), 1, 999});
    TMultiSend run(jobs, lines);
    auto receivedByAll = [&] {
        std::size_t sum = 0;
        for (std::size_t i = 0; i < count; ++i)
            sum += readers[i]->receivedSize();
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
    std::vector<std::unique_ptr<LoopbackPeer>> readers;
    for (std::size_t i = 0; i < kSigns; ++i)
        readers.push_back(loopbackReader(static_cast<std::size_t>(state.range(0))));
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
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back("NotCentered,^G^" + std::string(195, static_cast<char>('A' + i % 26)));
    const std::size_t total = streamSize(lines, 1, 20);
    const double lineTime = total * 10.0 / kBaud;

    double done = 0;
    double arrived = 0;
    std::size_t unread = 0;
    for (auto _ : state) {
        // Takes the bytes no faster than the line carries them (ten bits a byte), counting from
        // just before the send.
        PtyReader line(PtyReader::Behaviour{.bytesPerSecond = kBaud / 10});
        TMultiSend run({{"serial", TSignLink::Serial(0, kBaud, line.path()), 1, 20}}, lines);
        const auto start = Clock::now();
        run.Run();
        done = std::chrono::duration<double>(Clock::now() - start).count();
        unread = total - line.receivedSize();
        if (run.Reports().front().state != TSignReport::State::Sent)
            throw std::runtime_error("the serial sign was not sent");
        while (line.receivedSize() < total &&
               Clock::now() - start < std::chrono::duration<double>(2 * lineTime + 5))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (line.receivedSize() < total)
            throw std::runtime_error("the line did not carry every byte");
        arrived = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(arrived);
    }
    state.counters["bytes"] = static_cast<double>(total);
    state.counters["line_time_s"] = lineTime;
    state.counters["last_byte_over_line_time"] = arrived / lineTime;
    state.counters["send_ended_over_line_time"] = done / lineTime;
    state.counters["unread_when_ended"] = static_cast<double>(unread);
}
BENCHMARK(SerialAt19200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
