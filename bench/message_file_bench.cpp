// Opening a large message to its first painted screen, and saving it.
#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"
#include "bench_support.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "model/message_file.h"
#include "support/core/test_env.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kLines = 100000;

std::vector<std::string> sampleLines() {
    std::vector<std::string> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
        lines.push_back((i % 2 ? "Centered," : "NotCentered,") + std::string("^R^LINE ") +
                        std::to_string(i) + " ^G^GREEN ^Y^YELLOW ^F^FLASHING^F^ STEADY TEXT");
    }
    return lines;
}

const std::string& sampleFile() {
    static const std::string path = [] {
        const std::string p = privateEnvironmentDir() + "/large.lsm";
        writeMessageFile(p, sampleLines());
        return p;
    }();
    return path;
}

// File > Open of a 100,000-line message up to the list's first painted screen.
void BM_OpenToFirstPaint(benchmark::State& state) {
    TAppWindows windows;
    windows.Form1->show();
    QApplication::processEvents();
    const std::string& path = sampleFile();
    for (auto _ : state) {
        windows.Form1->OpenFile(path);
        windows.Form1->ListBox1->viewport()->repaint();
        benchmark::DoNotOptimize(windows.Form1->Lines().Count());
        state.PauseTiming();
        windows.Form1->Lines().Clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["lines"] = kLines;
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Reading and splitting the same file, without the window.
void BM_ReadMessageFile(benchmark::State& state) {
    const std::string& path = sampleFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(readMessageFile(path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadMessageFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Saving 100,000 lines: temporary file, flush to disk, rename.
void BM_SaveMessageFile(benchmark::State& state) {
    const std::vector<std::string> lines = sampleLines();
    const std::string path = privateEnvironmentDir() + "/saved.lsm";
    for (auto _ : state)
        writeMessageFile(path, lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_SaveMessageFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Everything the editor would touch goes to a private directory, as in the tests.
    setUpPrivateEnvironment();
    return runWindowBenchmarks<TApplication>(argc, argv);
}
