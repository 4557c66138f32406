// Following the line rate (SyncTracker::update) per half-second block, and
// folding a pass's telemetry at its end (Telemetry::finishPass over 1800
// lines), against the block correlator that runs on every block anyway.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "apt/line_decoder.h"
#include "apt/sync_tracker.h"
#include "apt/telemetry.h"

namespace {

// Envelope blocks with both sync words at sample 3000 and noise.
std::vector<std::vector<double>> blocks(int count) {
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 300.0);
    std::vector<std::vector<double>> out;
    for (int b = 0; b < count; ++b) {
        std::vector<double> block(sorae::kEnvelopeBlockSamples);
        for (int k = 0; k < sorae::kEnvelopeBlockSamples; ++k) {
            const int rel = (k - 3000 + sorae::kEnvelopeBlockSamples) % sorae::kEnvelopeBlockSamples;
            const int bit = rel < sorae::kSyncPatternLength ? sorae::syncAPattern()[std::size_t(rel)]
                            : rel >= sorae::kSyncBDelaySamples && rel < sorae::kSyncBDelaySamples + sorae::kSyncPatternLength
                                ? sorae::syncBPattern()[std::size_t(rel - sorae::kSyncBDelaySamples)]
                                : 0;
            block[std::size_t(k)] = 100.0 + 1400.0 * bit + noise(random);
        }
        out.push_back(std::move(block));
    }
    return out;
}

void BM_SyncTrackerUpdate(benchmark::State& state) {
    const auto input = blocks(16);
    sorae::SyncTracker tracker;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto step = tracker.update(input[i % input.size()].data(), 3009);
        benchmark::DoNotOptimize(step.offset);
        ++i;
    }
}
BENCHMARK(BM_SyncTrackerUpdate)->Unit(benchmark::kMicrosecond);

void BM_BlockCorrelator(benchmark::State& state) {
    const auto input = blocks(16);
    sorae::SyncCorrelator correlator;
    std::vector<std::uint8_t> joined(sorae::kJoinedBits);
    std::size_t i = 0;
    for (auto _ : state) {
        sorae::hardLimitBlock(input[i % input.size()].data(), joined.data() + sorae::kSyncPatternLength);
        benchmark::DoNotOptimize(correlator.findPeak(joined.data()).step);
        ++i;
    }
}
BENCHMARK(BM_BlockCorrelator)->Unit(benchmark::kMicrosecond);

void BM_FoldedTelemetryAtPassEnd(benchmark::State& state) {
    std::vector<double> line(sorae::kEnvelopeBlockSamples, 0.0);
    for (auto _ : state) {
        state.PauseTiming();
        sorae::Telemetry t;
        t.setAverageOverPass(true);
        for (int l = 0; l < 1800; ++l) {
            const int wedge = l / 8 % 16 + 1;
            const double level = wedge <= 8 ? 100.0 + 180.0 * wedge : 100.0;
            std::fill(line.begin() + 5750, line.begin() + 5980, level);
            std::fill(line.begin() + 11750, line.begin() + 11980, level);
            t.update(line.data(), true);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(t.finishPass());
    }
}
BENCHMARK(BM_FoldedTelemetryAtPassEnd)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
