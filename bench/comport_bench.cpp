// Sends a message of 40,000 bytes through the serial port to a pseudo-terminal whose reader
// takes bytes no faster than a 19200 baud line would deliver them (1920 bytes per second), in
// the send command's way: chunks of 200 bytes, waiting after each until the queue is empty.
// The time until the reader has the last byte is compared with the line time
// (bytes x 10 / baud): the port keeps the line busy when the two agree.
#include "links/comport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBytes = 40000;
constexpr int kBaud = 19200;
constexpr double kBytesPerSecond = kBaud / 10.0;

void BM_SendAtLineRate(benchmark::State& state) {
    std::string message(kBytes, '\0');
    for (std::size_t i = 0; i < kBytes; ++i)
        message[i] = static_cast<char>(i * 7 + i / 251);

    for (auto _ : state) {
        int master = -1, slave = -1;
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        const std::string path = name;

        TComPort port;
        port.ComNumber = 1;
        port.Baud = kBaud;
        port.DeviceResolver = [&path](unsigned) { return path; };
        port.Open(true);

        std::atomic<bool> started{false};
        Clock::time_point start;
        Clock::time_point lastByte;
        std::string received;
        std::thread reader([&] {
            while (!started.load(std::memory_order_acquire))
                std::this_thread::yield();
            char buffer[4096];
            while (received.size() < kBytes) {
                const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
                const auto due = std::min<std::size_t>(
                    kBytes, static_cast<std::size_t>(elapsed * kBytesPerSecond));
                if (due > received.size()) {
                    const ssize_t n =
                        ::read(master, buffer, std::min(sizeof buffer, due - received.size()));
                    if (n > 0) {
                        received.append(buffer, static_cast<std::size_t>(n));
                        continue;
                    }
                    if (n == 0 || (errno != EAGAIN && errno != EINTR))
                        break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            lastByte = Clock::now();
        });

        start = Clock::now();
        started.store(true, std::memory_order_release);
        for (std::size_t at = 0; at < kBytes; at += 200) {
            for (std::size_t i = at; i < std::min(kBytes, at + 200); ++i)
                port.PutByte(static_cast<std::uint8_t>(message[i]));
            while (port.OutPending() > 0)
                port.ServicePort();
        }
        const Clock::time_point drained = Clock::now();
        port.Open(false);
        const Clock::time_point closed = Clock::now();
        reader.join();
        ::close(master);
        ::close(slave);

        const double total = std::chrono::duration<double>(lastByte - start).count();
        const double line = kBytes * 10.0 / kBaud;
        state.SetIterationTime(total);
        state.counters["line_s"] = line;
        state.counters["total_s"] = total;
        state.counters["excess_pct"] = (total / line - 1.0) * 100.0;
        state.counters["queue_drained_s"] = std::chrono::duration<double>(drained - start).count();
        state.counters["close_s"] = std::chrono::duration<double>(closed - drained).count();
        state.counters["received"] = static_cast<double>(received.size());
        state.counters["intact"] = received == message ? 1 : 0;
    }
}

// One iteration takes about 21 seconds.
BENCHMARK(BM_SendAtLineRate)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
