// Fifty signs on one gateway against the same fifty sent directly, each as lumavane-send sends
// them (TMultiSend): a Mosquitto broker of the benchmark's own on 127.0.0.1 with a password file
// and an ACL, lumavane-gateway serving fifty readers on 127.0.0.1, and the largest message (1000
// blocks of 255 characters, every other one centred on a line 999 wide). Reports the mean wall
// time of each over several runs, from the start of the run until every sign has reported, and
// their ratio (goal: under 1.5), with readers as fast as the machine and with readers that take
// 1 MB a second (a sign's own network interface is no faster). The gateway's path carries the
// message file to the gateway once per sign, then the stream to the sign, as the direct path
// carries the stream.
// Nothing but loopback sockets and files of its own.

#include "bench_support.h"
#include "fleet/gateway_settings.h"
#include "fleet/multi_send.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_broker.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kSigns = 50;

const std::vector<TestBroker::User> kUsers = {
    {"sender",
     "sender-secret",
     {"topic write lumavane/+/+/send", "topic read lumavane/+/+/result",
      "topic read lumavane/+/+/state", "topic read lumavane/+/availability"}},
    {"bench", "bench-secret", {"topic read lumavane/bench/+/send", "topic write lumavane/bench/#"}},
};

std::string privateFile(const TestBroker& broker, const std::string& name,
                        const std::string& text) {
    const std::string path = broker.file(name);
    writeFileBytes(path, text);
    ::chmod(path.c_str(), 0600);
    return path;
}

// lumavane-gateway with a settings file of the fifty readers, ended when the object goes.
class Gateway {
public:
    Gateway(const TestBroker& broker, const std::vector<std::unique_ptr<LoopbackPeer>>& readers) {
        std::string config =
            "[Gateway]\nBroker=" + broker.url() + "\nName=bench\nUser=bench\n" +
            "PasswordFile=" + privateFile(broker, "bench.password", "bench-secret\n") + "\n";
        for (std::size_t i = 0; i < readers.size(); ++i)
            config += "[Sign s" + std::to_string(i) +
                      "]\nPort=5\nIP=127.0.0.1:" + std::to_string(readers[i]->port()) + "\n";
        std::string path = privateFile(broker, "gateway.ini", config);
        std::string program = LUMAVANE_GATEWAY_TOOL;
        std::string option = "--config";
        char* argv[] = {program.data(), option.data(), path.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, broker.file("gateway.log").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0)
            throw std::runtime_error("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Gateway() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

std::unique_ptr<LoopbackPeer> reader(std::size_t bytesPerSecond) {
    LoopbackPeer::Options options;
    options.keepBytes = false;
    if (bytesPerSecond > 0) {
        options.chunk = bytesPerSecond / 100;
        options.pause = std::chrono::milliseconds(10);
    }
    return std::make_unique<LoopbackPeer>(LoopbackPeer::Behaviour::ReadAll, options);
}

// One run to every reader, directly or through the gateway; its wall time in seconds. Every
// sign must be sent every byte.
double sendOnce(const std::vector<std::unique_ptr<LoopbackPeer>>& readers, std::size_t count,
                const std::vector<std::string>& lines, const TGatewaySettings* gateway) {
    std::vector<TSignJob> jobs;
    for (std::size_t i = 0; i < count; ++i)
        jobs.push_back({"s" + std::to_string(i),
                        TSignLink::Network("127.0.0.1", readers[i]->port()), 1, 999,
                        gateway ? "bench" : ""});
    TMultiSend run(jobs, lines);
    if (gateway)
        run.Gateway = *gateway;
    std::size_t before = 0;
    for (const auto& r : readers)
        before += r->receivedSize();
    const auto start = Clock::now();
    run.Run();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::size_t total = 0;
    for (const TSignReport& report : run.Reports()) {
        if (report.state != TSignReport::State::Sent)
            throw std::runtime_error("a sign was not sent: " + report.reason);
        total += report.total;
    }
    std::size_t after = 0;
    for (const auto& r : readers)
        after += r->receivedSize();
    if (after - before != total)
        throw std::runtime_error("the readers did not get every byte");
    return seconds;
}

// state.range(0): the pace of each sign in bytes a second (0: as fast as the machine reads).
void FiftySignsThroughOneGateway(benchmark::State& state) {
    if (const std::string why = TestBroker::missing(); !why.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    const int kRuns = state.range(0) == 0 ? 5 : 2;
    const std::vector<std::string> lines = largestMessage();
    std::vector<std::unique_ptr<LoopbackPeer>> readers;
    for (std::size_t i = 0; i < kSigns; ++i)
        readers.push_back(reader(static_cast<std::size_t>(state.range(0))));
    TestBroker broker(kUsers);
    Gateway gateway(broker, readers);
    const std::string sender =
        privateFile(broker, "sender.ini",
                    "[Gateway]\nBroker=" + broker.url() + "\nUser=sender\nPasswordFile=" +
                        privateFile(broker, "sender.password", "sender-secret\n") + "\n");
    const TGatewaySettings settings = readGatewaySettings(sender);
    // Once the gateway is online its signs take sends (a sign it does not serve yet fails).
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    for (;;) {
        try {
            sendOnce(readers, 1, lines, &settings);
            break;
        } catch (const std::runtime_error&) {
            if (Clock::now() > deadline)
                throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    double direct = 0;
    double throughGateway = 0;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            direct += sendOnce(readers, kSigns, lines, nullptr);
            throughGateway += sendOnce(readers, kSigns, lines, &settings);
        }
        state.SetIterationTime(throughGateway / kRuns);
    }
    state.counters["direct_ms"] = direct / kRuns * 1000;
    state.counters["gateway_ms"] = throughGateway / kRuns * 1000;
    state.counters["gateway_over_direct"] = throughGateway / direct;
}
BENCHMARK(FiftySignsThroughOneGateway)
    ->Arg(0)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
