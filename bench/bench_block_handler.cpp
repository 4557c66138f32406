// Cost of the block handler's own work per half-second block (de-interleave,
// gain, monitor samples, status texts) with the other stages stubbed out:
// what the capture path adds to every block, whatever else runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "capture/block_handler.h"

namespace {

struct QuietHooks : sorae::BlockHooks {
    bool monitor = false;
    bool monitorOn() const override { return monitor; }
};

std::vector<std::int16_t> toneBlock(int frames) {
    std::vector<std::int16_t> block(std::size_t(frames) * 2);
    for (int j = 0; j < frames; ++j) {
        const auto v = std::int16_t(12000.0 * std::sin(2.0 * M_PI * 2400.0 * j / 48000.0));
        block[std::size_t(2 * j)] = v;
        block[std::size_t(2 * j + 1)] = std::int16_t(-v);
    }
    return block;
}

void runBlocks(benchmark::State& state, int signalType, bool monitor) {
    QuietHooks hooks;
    hooks.monitor = monitor;
    sorae::BlockHandler handler(hooks);
    handler.setSignalType(signalType);
    handler.setSignalGain(-6);
    handler.setWarmUpCounter(sorae::BlockHandler::kWarmUpLimit + 1);
    const int frames = handler.format().framesPerBlock;
    const auto block = toneBlock(frames);
    for (auto _ : state) {
        handler.handleBlock(block.data(), frames);
        benchmark::DoNotOptimize(handler.demodOutput()[100]);
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

void BM_AudioBlock(benchmark::State& state) { runBlocks(state, 0, false); }
void BM_AudioBlockWithMonitor(benchmark::State& state) { runBlocks(state, 0, true); }
void BM_QuadratureBlockIdle(benchmark::State& state) { runBlocks(state, 1, false); }

}  // namespace

BENCHMARK(BM_AudioBlock)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AudioBlockWithMonitor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuadratureBlockIdle)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
