// Cost of the telemetry per half-second block: Telemetry::update on
// assembled 12000-sample lines carrying a full frame of wedges (every line
// updates the frame tracker; one line in 128 also reads and checks a frame).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "apt/telemetry.h"

namespace {

constexpr int kLines = 128;   // one telemetry frame

std::vector<std::vector<double>> frameLines() {
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 40.0);
    std::vector<std::vector<double>> lines(kLines, std::vector<double>(12000));
    for (int l = 0; l < kLines; ++l) {
        const int wedge = l / 8 + 1;
        const int level = wedge <= 8 ? wedge : wedge == 16 ? 2 : wedge == 9 ? 0 : 3;
        for (int n = 0; n < 12000; ++n) lines[l][n] = 150.0 + 170.0 * level + noise(rng);
    }
    return lines;
}

void BM_TelemetryUpdate(benchmark::State& state) {
    const auto lines = frameLines();
    sorae::Telemetry telemetry;
    int l = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(telemetry.update(lines[l].data(), true));
        if (++l == kLines) l = 0;
    }
    state.counters["named"] = telemetry.sensorNameA == "CH 2 (VIS)";
}
BENCHMARK(BM_TelemetryUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
