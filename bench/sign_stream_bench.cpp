// The largest plausible sign data stream: 1000 blocks of 255 characters of text with mixed
// colours and flashing, every other block centred on a line 999 wide. Reported as MB/s ("MB")
// of stream built, next to a plain memcpy of a buffer of the same size.

#include "bench_support.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 999;

std::size_t streamSize(const std::vector<std::string>& lines) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, 1, kWidth);
    return buffer.size();
}

void reportRate(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["MB"] = benchmark::Counter(static_cast<double>(state.iterations() * bytes) / 1e6,
                                              benchmark::Counter::kIsRate);
    state.counters["stream_bytes"] = static_cast<double>(bytes);
}

void BM_BuildSignStream(benchmark::State& state) {
    const std::vector<std::string> lines = largestMessage();
    TSendBuffer buffer;
    TBlock sendBlock;
    for (auto _ : state) {
        buildSignStream(buffer, sendBlock, lines, 1, kWidth);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    reportRate(state, buffer.size());
}
BENCHMARK(BM_BuildSignStream)->Unit(benchmark::kMicrosecond);

void BM_MemcpySameSize(benchmark::State& state) {
    const std::size_t size = streamSize(largestMessage());
    std::vector<char> source(size, 'x');
    std::vector<char> target(size);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), size);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    reportRate(state, size);
}
BENCHMARK(BM_MemcpySameSize)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
