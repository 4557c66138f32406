// The automatic level's cost per half-second envelope block (measure, scale,
// clamp), and the contrast stretch of one channel of a full 2400-line pass.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "apt/line_store.h"
#include "capture/auto_level.h"
#include "imaging/picture_stretch.h"

namespace {

void BM_AutoLevelBlock(benchmark::State& state) {
    // Arg 1: the lines' start is known, the level follows the spaces.
    const int lineStart = state.range(0) ? 100 : -1;
    std::vector<double> line(12000);
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = 300.0 + 250.0 * std::sin(double(i) * 0.01) + (i % 2000 < 80 ? 1200.0 : 0.0);
    std::vector<double> block(line.size());
    sorae::AutoLevel level;
    for (auto _ : state) {
        state.PauseTiming();
        block = line;
        state.ResumeTiming();
        level.process(block.data(), int(block.size()), lineStart);
        benchmark::DoNotOptimize(block[100]);
    }
}

void BM_StretchChannel(benchmark::State& state) {
    auto store = std::make_unique<sorae::LineStore>();
    for (int line = 0; line < sorae::kMaxLines; ++line)
        for (int x = 0; x < sorae::kWordsPerChannel; ++x)
            store->at(0, x, line) = 8000.0 + 6000.0 * std::sin(x / 50.0 + line / 70.0);
    store->lineCount = sorae::kMaxLines;
    std::vector<double> scratch;
    for (auto _ : state) {
        const auto s = sorae::StretchChannel(*store, 0, 0, sorae::kMaxLines, scratch);
        benchmark::DoNotOptimize(s.gain);
    }
}

}  // namespace

BENCHMARK(BM_AutoLevelBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchChannel)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
