#include "bench_support.h"

#include "model/block.h"

#include <benchmark/benchmark.h>

std::vector<std::string> largestMessage() {
    constexpr int kBlocks = 1000;
    const char* codes[] = {"^G^", "^F^", "^Y^", "^R^", "^F^", "^G^"};
    std::vector<std::string> lines;
    lines.reserve(kBlocks);
    for (int i = 0; i < kBlocks; ++i) {
        std::string text;
        int code = i % 6;
        while (text.size() < kMaxBlockText) {
            // A few characters, then a colour or flash change.
            text += std::string(3 + (text.size() + i) % 9, static_cast<char>('A' + i % 26));
            text += codes[code++ % 6];
        }
        text.resize(kMaxBlockText);
        lines.push_back((i % 2 == 0 ? "Centered," : "NotCentered,") + text);
    }
    return lines;
}

int runBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
