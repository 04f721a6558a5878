// lumavane-send --schedule --follow with 50 signs on 127.0.0.1 and a message with a time field
// ({time:%H:%M}, a new value every minute) and a file field:
// - IdleMinute: the processor time that the follower takes in a minute in which nothing happens
//   but the minute's new value (50 sends and their ledgers), against the goal of 50 ms. Taken
//   from the kernel's account of followers that each end by SIGTERM: three that end as soon as
//   their first pass is over (the median of them), one that waits two minutes longer; the
//   difference over two is the minute.
// - FileChangeToFirstByte: the time from a field's file replaced by a rename (as editors save) to
//   the first byte at a sign, against the goal of 1 s; the median and the slowest of ten.
// Nothing but loopback sockets and files of its own.

#include "bench_support.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_env.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kSigns = 50;

// The signs, the settings that name them, a schedule that shows one message with fields on all.
class Fleet {
public:
    Fleet() {
        setUpPrivateEnvironment();
        std::string settings;
        LoopbackPeer::Options options;
        options.keepBytes = false;
        for (std::size_t i = 0; i < kSigns; ++i) {
            peers_.push_back(
                std::make_unique<LoopbackPeer>(LoopbackPeer::Behaviour::ReadAll, options));
            settings += "[Sign s" + std::to_string(i) +
                        "]\nPort=5\nIP=127.0.0.1:" + std::to_string(peers_.back()->port()) +
                        "\nLine=1\nWidth=20\n";
        }
        writeFileBytes(std::getenv("LUMAVANE_INI"), settings);
        writeFileBytes(dir_.file("message.lsm"),
                       "Centered,^G^{time:%H:%M}\r\nNotCentered,Queue {file:queue.txt|3|--}\r\n");
        writeFileBytes(dir_.file("queue.txt"), "1\n");
        writeFileBytes(dir_.file("schedule.ini"), "[Otherwise]\nSigns=all\nMessage=message.lsm\n");
    }

    // Sends finished by all the signs so far.
    int finished() const {
        int sum = 0;
        for (const auto& peer : peers_)
            sum += peer->finished();
        return sum;
    }
    std::size_t received() const {
        std::size_t sum = 0;
        for (const auto& peer : peers_)
            sum += peer->receivedSize();
        return sum;
    }
    // Waits until the signs have finished `count` sends; throws after `seconds`.
    void awaitFinished(int count, int seconds) const {
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        while (finished() < count) {
            if (Clock::now() > end)
                throw std::runtime_error("the signs were not all sent to in time");
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    // Starts a follower with a ledger of its own (so that its first pass sends to every sign).
    pid_t start(const std::string& name) {
        ::setenv("XDG_STATE_HOME", dir_.file("state-" + name).c_str(), 1);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = dir_.file(name + ".out");
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::string program = LUMAVANE_SEND_TOOL;
        std::string schedule = dir_.file("schedule.ini");
        std::vector<char*> argv = {program.data(), const_cast<char*>("--schedule"), schedule.data(),
                                   const_cast<char*>("--follow"), nullptr};
        pid_t pid = -1;
        if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start lumavane-send");
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }
    // Stops a follower; the processor time of its whole life in milliseconds.
    static double stop(pid_t pid) {
        ::kill(pid, SIGTERM);
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 128 + SIGTERM)
            throw std::runtime_error("the follower did not stop as asked");
        auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
        return ms(usage.ru_utime) + ms(usage.ru_stime);
    }

    // Waits until the follower `name` has told `lines` lines: a pass is over once it has told
    // its sends, after their ledgers are written.
    void awaitLines(const std::string& name, std::size_t lines) const {
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (told(name) < lines) {
            if (Clock::now() > end)
                throw std::runtime_error("the follower did not tell its sends in time");
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    std::size_t told(const std::string& name) const {
        const std::string out = readFileBytes(dir_.file(name + ".out"));
        return static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n'));
    }

    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::vector<std::unique_ptr<LoopbackPeer>> peers_;
};

Fleet& fleet() {
    static Fleet instance;
    return instance;
}

// Seconds into the current minute of the wall clock.
int secondOfMinute() {
    const std::time_t now = std::time(nullptr);
    return static_cast<int>(now % 60);
}

void IdleMinute(benchmark::State& state) {
    Fleet& f = fleet();
    constexpr int kMinutes = 2;
    std::vector<double> brief;
    double minutes = 0;
    int minuteSends = 0;
    // Each follower's first pass over (its sends told, after their ledgers are written).
    auto firstPass = [&f](const std::string& name) {
        const int before = f.finished();
        const pid_t pid = f.start(name);
        f.awaitFinished(before + static_cast<int>(kSigns), 10);
        f.awaitLines(name, 1 + kSigns);
        return pid;
    };
    for (auto _ : state) {
        // Every first pass in one minute, so that they all send alike.
        while (secondOfMinute() > 45)
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (int run = 0; run < 3; ++run)
            brief.push_back(Fleet::stop(firstPass("brief" + std::to_string(run))));
        const pid_t pid = firstPass("minutes");
        const int first = f.finished();
        std::this_thread::sleep_for(std::chrono::seconds(60 * kMinutes));
        minuteSends = f.finished() - first;
        minutes = Fleet::stop(pid);
        state.SetIterationTime(60 * kMinutes);
    }
    std::sort(brief.begin(), brief.end());
    const double perMinute = (minutes - brief[1]) / kMinutes;
    state.counters["first_pass_and_stop_cpu_ms"] = brief[1];
    state.counters["sends_per_minute"] = static_cast<double>(minuteSends) / kMinutes;
    state.counters["cpu_ms_per_idle_minute"] = perMinute;
    state.counters["over_goal_50ms"] = perMinute / 50.0;
}
BENCHMARK(IdleMinute)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void FileChangeToFirstByte(benchmark::State& state) {
    Fleet& f = fleet();
    std::vector<double> delays;
    for (auto _ : state) {
        const int before = f.finished();
        const pid_t pid = f.start("changes");
        f.awaitFinished(before + static_cast<int>(kSigns), 10);
        f.awaitLines("changes", 1 + kSigns);
        for (int change = 0; change < 10; ++change) {
            // Away from a minute's turn, whose own sends would come first.
            while (secondOfMinute() >= 57 || secondOfMinute() < 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const std::size_t told = f.told("changes");
            const std::size_t received = f.received();
            writeFileBytes(f.dir().file("queue.new"), std::to_string(100 + change) + "\n");
            const auto start = Clock::now();
            std::rename(f.dir().file("queue.new").c_str(), f.dir().file("queue.txt").c_str());
            while (f.received() == received) {
                if (Clock::now() - start > std::chrono::seconds(5))
                    throw std::runtime_error("no byte reached a sign after the change");
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            delays.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            f.awaitLines("changes", told + kSigns);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Fleet::stop(pid);
        std::sort(delays.begin(), delays.end());
        state.SetIterationTime(delays[delays.size() / 2] / 1000);
    }
    state.counters["first_byte_ms_median"] = delays[delays.size() / 2];
    state.counters["first_byte_ms_slowest"] = delays.back();
    state.counters["median_over_goal_1s"] = delays[delays.size() / 2] / 1000;
}
BENCHMARK(FileChangeToFirstByte)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
