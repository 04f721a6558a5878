// Choosing every sign of a settings file with many [Sign NAME] sections, as lumavane-send does
// before its first byte: the file is read once, so the time per sign stays the same from 1,000
// to 10,000 sections (goal: 3,000 under 0.3 s). Files in a private directory only.

#include "bench_support.h"
#include "fleet/sign_choice.h"
#include "support/core/test_env.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::string settingsWithSigns(int count) {
    const std::string path = privateEnvironmentDir() + "/signs" + std::to_string(count) + ".ini";
    std::ofstream file(path, std::ios::binary);
    file << "[Comm]\nPort=5\nIP=127.0.0.1\n\n[Ports]\nCOM1=/dev/null\n\n";
    for (int i = 0; i < count; ++i) {
        file << "[Sign s" << i << "]\nPort=" << (i % 2 ? "5" : "1")
             << "\nIP=127.0.0.1:" << 20000 + i % 1000 << "\nLine=1\nWidth=20\n\n";
    }
    return path;
}

void BM_ChooseAllSigns(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = settingsWithSigns(count);
    TSignRequest request;
    request.all = true;
    for (auto _ : state) {
        std::vector<std::string> notes;
        const std::vector<TChosenSign> signs = chooseSigns(path, request, notes);
        if (signs.size() != static_cast<std::size_t>(count))
            state.SkipWithError("not every sign was chosen");
    }
    state.counters["per_sign"] = benchmark::Counter(
        static_cast<double>(count) * static_cast<double>(state.iterations()),
        benchmark::Counter::Flags(benchmark::Counter::kIsRate | benchmark::Counter::kInvert));
}
BENCHMARK(BM_ChooseAllSigns)
    ->Arg(1000)
    ->Arg(3000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setUpPrivateEnvironment();
    return runBenchmarks(argc, argv);
}
