// Drawing the message list of 100,000 blocks off screen: one screen of rows (a list of the
// main window's size) painted at the top, in the middle and at the end of the list, and a
// scroll through the list one page at a time with a paint after every step. Reported as time
// per screen and rows drawn per second.

#include "bench_support.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "editor/message_row.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

std::vector<std::string> message() {
    const char* samples[] = {
        "Centered,^R^OPEN ^G^7 DAYS A WEEK",
        "NotCentered,^Y^SALE ^F^50% OFF^F^ ^G^EVERYTHING ^R^MUST GO",
        "Centered,^G^A,B,C ^Y^and ^F^more^F^ text",
        "NotCentered,plain red text of a moderate length, with commas, and ^% signs",
        "Centered,^F^^R^R^G^G^Y^Y^F^ steady ^Y^WELCOME ^R^TO ^G^THE SHOP ^F^!!!",
    };
    std::vector<std::string> lines;
    lines.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        lines.emplace_back(samples[i % 5]);
    return lines;
}

// The list as the main window shows it, with its rows drawn by drawMessageRow.
struct ListUnderTest {
    ListUnderTest() {
        model.SetLines(message());
        list.setModel(&model);
        list.SetDrawItemHandler(
            [this](QPainter& painter, int index, const QRect& rect, QStyle::State state) {
                const QColor background =
                    (state & QStyle::State_Selected)
                        ? list.palette().color(QPalette::Active, QPalette::Highlight)
                        : QColor(Qt::black);
                drawMessageRow(painter, model.Line(index), index, rect, background);
            });
        list.resize(618, 392);
        list.show();
        QApplication::processEvents();
        screen = QImage(list.viewport()->size(), QImage::Format_RGB32);
    }
    void paint() { list.viewport()->render(&screen); }
    int rowsPerScreen() const {
        return list.viewport()->height() / TMessageListBox::kRowHeight + 1;
    }

    TMessageListModel model;
    TMessageListBox list;
    QImage screen;
};

ListUnderTest& fixture() {
    static ListUnderTest list;
    return list;
}

void BM_PaintScreenAt(benchmark::State& state) {
    ListUnderTest& t = fixture();
    const int row = static_cast<int>(state.range(0));
    t.list.SetItemIndex(row);
    t.list.scrollTo(t.model.index(row), QAbstractItemView::PositionAtCenter);
    QApplication::processEvents();
    for (auto _ : state) {
        t.paint();
        benchmark::DoNotOptimize(t.screen.constBits());
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(t.rowsPerScreen()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintScreenAt)->Arg(0)->Arg(kRows / 2)->Arg(kRows - 1)->Unit(benchmark::kMicrosecond);

void BM_ScrollOnePageAndPaint(benchmark::State& state) {
    ListUnderTest& t = fixture();
    QScrollBar* bar = t.list.verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        int next = bar->value() + bar->pageStep();
        if (next > bar->maximum())
            next = 0;
        bar->setValue(next);
        t.paint();
        benchmark::DoNotOptimize(t.screen.constBits());
    }
    state.counters["rows/s"] = benchmark::Counter(
        static_cast<double>(t.rowsPerScreen()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScrollOnePageAndPaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks<QApplication>(argc, argv);
}
