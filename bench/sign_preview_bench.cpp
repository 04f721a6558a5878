// The sign preview: rebuilding it after a change of the list (build the stream that a send would
// write, decode it, lay it out on the sign), next to building and decoding alone, for messages of
// 1000 blocks; and repainting the LED board with every line in view, for 100 lines of 20 and of
// 40 characters, next to the part of it that a panel's viewport exposes. The budget for a
// repaint is 8 ms; a rebuild must not hold up typing.

#include "bench_support.h"
#include "sign/send_buffer.h"
#include "sign/sign_preview.h"
#include "sign/sign_stream.h"
#include "sign/stream_decoder.h"
#include "signview/sign_board.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> message(int blocks, int length) {
    const char* samples[] = {
        "Centered,^G^WELCOME ^R^TO ^Y^THE SHOP",
        "NotCentered,^Y^SALE ^F^50% OFF^F^ ^G^EVERYTHING ^R^MUST GO NOW",
        "Centered,^F^^R^R^G^G^Y^Y^F^ steady ^Y^OPEN ^G^7 DAYS A WEEK",
        "NotCentered,plain red text, with commas, and ^ signs and more",
    };
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(blocks));
    for (int i = 0; i < blocks; ++i) {
        std::string line = samples[i % 4];
        while (line.size() < static_cast<std::size_t>(length))
            line += " MORE";
        lines.push_back(line.substr(0, static_cast<std::size_t>(length)));
    }
    return lines;
}

void BM_BuildAndDecode(benchmark::State& state) {
    const std::vector<std::string> lines = message(static_cast<int>(state.range(0)), 60);
    for (auto _ : state) {
        TSendBuffer buffer;
        TBlock block;
        buildSignStream(buffer, block, lines, 1, 20);
        TStreamDecoder decoder;
        decoder.feed(buffer.bytes());
        decoder.finish();
        benchmark::DoNotOptimize(decoder.takeEvents());
    }
}
BENCHMARK(BM_BuildAndDecode)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Arguments: blocks, the sign's lines and columns (0 = not known).
void BM_RebuildPreview(benchmark::State& state) {
    const std::vector<std::string> lines = message(static_cast<int>(state.range(0)), 60);
    const TSignSize size{static_cast<int>(state.range(1)), static_cast<int>(state.range(2))};
    for (auto _ : state)
        benchmark::DoNotOptimize(previewSignMessage(lines, 1, 20, size));
}
BENCHMARK(BM_RebuildPreview)
    ->Args({1000, 0, 0})
    ->Args({1000, 99, 20})
    ->Unit(benchmark::kMicrosecond);

// Arguments: lines on the sign, characters per line, height of the part painted (0: all).
void BM_RepaintBoard(benchmark::State& state) {
    const int signLines = static_cast<int>(state.range(0));
    const int columns = static_cast<int>(state.range(1));
    TSignBoard board;
    board.setMinimumPitch(2.5);
    board.setFace(
        previewSignMessage(message(signLines, 60), 1, columns, {signLines, columns}).face);
    const QSize size = board.minimumSizeHint();
    board.resize(size);
    QImage image(size, QImage::Format_RGB32);
    const int exposedHeight = state.range(2) > 0 ? static_cast<int>(state.range(2)) : size.height();
    const QRect exposed(0, size.height() / 2, size.width(), exposedHeight);
    for (auto _ : state) {
        QPainter painter(&image);
        board.paintBoard(painter, image.rect(), exposed.intersected(image.rect()));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["px"] = static_cast<double>(size.width()) * size.height();
}
BENCHMARK(BM_RepaintBoard)
    ->Args({100, 20, 0})
    ->Args({100, 40, 0})
    ->Args({100, 20, 250})
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks<QApplication>(argc, argv);
}
