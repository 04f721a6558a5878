// What a user waits for with a large message open: File > Open up to the rows drawn, and one
// edit (a block changed, taken back, moved) up to the rows drawn again, with the list laid out
// and the sign's fit worked out, as the window does it. Each is also given as a ratio to
// reading the same file ("x_read"), so that runs on different machines compare.

#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"
#include "app/sign_preview_panel.h"
#include "base/free_memory.h"
#include "bench_support.h"
#include "editor/message_edits.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "editor/sign_preview_dock.h"
#include "model/message_file.h"
#include "sign/comm_settings.h"
#include "support/core/test_env.h"

#include <QApplication>
#include <QDockWidget>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

std::string sampleLine(int i, const char* word) {
    return (i % 2 ? "Centered," : "NotCentered,") + std::string("^R^") + word + " " +
           std::to_string(i) + " ^G^GREEN ^Y^YELLOW ^F^FLASHING^F^ STEADY TEXT";
}

// A message file of `count` lines, written once per size.
const std::string& sampleFile(int count) {
    static std::map<int, std::string> files;
    auto found = files.find(count);
    if (found != files.end())
        return found->second;
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        lines.push_back(sampleLine(i, "LINE"));
    const std::string path = privateEnvironmentDir() + "/open" + std::to_string(count) + ".lsm";
    writeMessageFile(path, lines);
    return files.emplace(count, path).first->second;
}

// Seconds that reading and splitting the file takes, the best of a few reads.
double readSeconds(const std::string& path) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(readMessageFile(path));
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    }
    return best;
}

// The process's resident memory in bytes.
double residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0;
}

// Bytes of the heap in use.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The main window on a sign of known size (so that every row has its fit worked out), counting
// the rows that it draws.
struct TOpenWindow {
    TAppWindows windows;
    TForm1& form = *windows.Form1;
    long long rowsDrawn = 0;

    TOpenWindow() {
        form.Comm().SignLines = 16;
        form.Comm().SignColumns = 40;
        const TMessageListBox::DrawItemHandler draw = form.ListBox1->DrawItem();
        form.ListBox1->SetDrawItemHandler(
            [this, draw](QPainter& painter, int index, const QRect& rect, QStyle::State state) {
                ++rowsDrawn;
                draw(painter, index, rect, state);
            });
        form.resize(800, 600);
        form.show();
        QApplication::processEvents();
    }

    // Lets the window do what it does after a change (lay out the list, work out the fit,
    // paint the rows); how many rows were drawn. Painted at once when nothing was pending.
    long long settleAndDraw() {
        const long long before = rowsDrawn;
        QApplication::processEvents();
        if (rowsDrawn == before)
            form.ListBox1->viewport()->repaint();
        return rowsDrawn - before;
    }
};

// The seconds since `begin`.
double since(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// The lines, and the time of one measured step as a multiple of reading the file.
void report(benchmark::State& state, int count, double seconds, double steps, double read) {
    state.counters["lines"] = count;
    state.counters["x_read"] = seconds / steps / read;
}

// What an open message holds in memory, as a multiple of its file's size: the heap in use
// ("heap_x_file") and the resident memory ("rss_x_file") that opening it up to the rows drawn
// adds to the window with an empty list. Run first, once per size, so that the allocator has
// not kept the memory of earlier opens.
void BM_OpenMemory(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& path = sampleFile(count);
    TOpenWindow window;
    returnFreedMemory();
    const std::size_t heap = heapInUse();
    const double resident = residentBytes();
    for (auto _ : state) {
        window.form.OpenFile(path);
        window.settleAndDraw();
    }
    const auto size = static_cast<double>(std::filesystem::file_size(path));
    state.counters["lines"] = count;
    state.counters["heap_x_file"] = static_cast<double>(heapInUse() - heap) / size;
    state.counters["rss_x_file"] = (residentBytes() - resident) / size;
    window.form.Lines().Clear();
    QApplication::processEvents();
    returnFreedMemory();
}
BENCHMARK(BM_OpenMemory)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// File > Open up to the first screen of rows drawn.
void BM_OpenToRowsDrawn(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& path = sampleFile(count);
    const double read = readSeconds(path);
    TOpenWindow window;
    double seconds = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        window.form.OpenFile(path);
        if (window.settleAndDraw() == 0)
            state.SkipWithError("no row was drawn");
        seconds += since(begin);
        state.PauseTiming();
        window.form.Lines().Clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    report(state, count, seconds, static_cast<double>(state.iterations()), read);
}
BENCHMARK(BM_OpenToRowsDrawn)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One edit of a block in the middle of the message, its undo, and a move of the block below
// it, each up to the rows drawn again.
void BM_EditToRowsDrawn(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string& path = sampleFile(count);
    const double read = readSeconds(path);
    TOpenWindow window;
    window.form.OpenFile(path);
    window.settleAndDraw();
    const int row = count / 2;
    window.form.ListBox1->SetItemIndex(row);
    window.settleAndDraw();
    const auto begin = std::chrono::steady_clock::now();
    for (auto _ : state) {
        window.form.Edits().Replace(row, sampleLine(row, "EDITED"), QStringLiteral("Edit"));
        long long drawn = window.settleAndDraw();
        window.form.Edits().Undo();
        drawn = std::min(drawn, window.settleAndDraw());
        window.form.Edits().Move(row, row + 1, QStringLiteral("Move"));
        drawn = std::min(drawn, window.settleAndDraw());
        window.form.Edits().Undo();
        drawn = std::min(drawn, window.settleAndDraw());
        if (drawn == 0)
            state.SkipWithError("no row was drawn");
    }
    // Four edits per iteration: the ratio is per edit.
    report(state, count, since(begin), 4.0 * static_cast<double>(state.iterations()), read);
}
BENCHMARK(BM_EditToRowsDrawn)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// View > Sign Preview opened the first time on a large message just opened, up to the panel
// shown with the fit of every block (each block read back once; later openings keep it).
void BM_PanelFirstOpen(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TOpenWindow window;
    // Closed, whatever the last window left in the view settings.
    window.form.SignPreview().Dock->hide();
    window.form.OpenFile(sampleFile(count));
    window.settleAndDraw();
    for (auto _ : state) {
        window.form.SignPreview().Dock->show();
        window.settleAndDraw();
    }
    state.counters["lines"] = count;
}
BENCHMARK(BM_PanelFirstOpen)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The rows drawn again with nothing changed: what every measure above includes.
void BM_RowsDrawn(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TOpenWindow window;
    window.form.OpenFile(sampleFile(count));
    window.settleAndDraw();
    for (auto _ : state) {
        window.form.ListBox1->viewport()->update();
        if (window.settleAndDraw() == 0)
            state.SkipWithError("no row was drawn");
    }
    state.counters["lines"] = count;
}
BENCHMARK(BM_RowsDrawn)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Everything the editor would touch goes to a private directory, as in the tests.
    setUpPrivateEnvironment();
    return runWindowBenchmarks<TApplication>(argc, argv);
}
