// Pasting many blocks into the open window, and taking the paste back and again: each should
// cost in proportion to the lines it moves, not to the lines times the list.

#include "bench_support.h"

#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"
#include "editor/block_clipboard.h"
#include "editor/message_edits.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "support/core/test_env.h"

#include <QApplication>
#include <QClipboard>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> sampleLines(int count, const char* word) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        lines.push_back((i % 2 ? "Centered," : "NotCentered,") + std::string("^R^") + word + " " +
                        std::to_string(i) + " ^G^GREEN ^Y^YELLOW ^F^CAF\xC9^F^ TEXT");
    }
    return lines;
}

// Ctrl+V of N lines before the first row of an N-line message, then Undo, Redo and Undo again,
// with the list drawn after each.
void BM_PasteUndoRedo(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TAppWindows windows;
    TForm1& form = *windows.Form1;
    form.show();
    form.Lines().SetLines(sampleLines(count, "KEPT"));
    QGuiApplication::clipboard()->setText(blockLinesText(sampleLines(count, "PASTED")));
    QApplication::processEvents();
    const auto draw = [&form] { form.ListBox1->viewport()->repaint(); };
    for (auto _ : state) {
        form.ListBox1->SetItemIndex(0);
        form.Paste1Click();
        draw();
        form.Edits().Undo();
        draw();
        form.Edits().Redo();
        draw();
        form.Edits().Undo();
        draw();
        benchmark::DoNotOptimize(form.Lines().Count());
    }
    state.counters["lines"] = count;
    form.hide();
}
BENCHMARK(BM_PasteUndoRedo)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Everything the editor would touch goes to a private directory, as in the tests.
    setUpPrivateEnvironment();
    return runWindowBenchmarks<TApplication>(argc, argv);
}
