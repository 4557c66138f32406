// Cost of the demodulator per half-second block: the envelope stage on
// 48 kHz audio, and the quadrature plus envelope stages on 96 kHz I/Q.
// The input is an APT-like signal (a 2400 Hz subcarrier amplitude-modulated
// at the word rate, with some noise), frequency-modulated for the I/Q case,
// so that no filter runs on denormals or on a constant.
#include "capture/demodulator.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kBlocks = 8;  // distinct blocks cycled through

double aptLikeAudio(long n, double rate, std::mt19937& rng) {
    std::normal_distribution<double> noise(0.0, 300.0);
    const double t = n / rate;
    const long word = long(t * 4160.0);
    const double level = 0.2 + 0.8 * double((word * 7919) % 256) / 255.0;
    return 6000.0 * level * std::cos(2.0 * kPi * 2400.0 * t) + noise(rng);
}

std::vector<std::vector<double>> audioBlocks() {
    std::mt19937 rng(1);
    std::vector<std::vector<double>> blocks(kBlocks,
                                            std::vector<double>(sorae::Demodulator::kFramesPerBlock48k));
    long n = 0;
    for (auto& b : blocks) {
        for (double& x : b) x = aptLikeAudio(n++, 48000.0, rng);
    }
    return blocks;
}

// I/Q of the audio above as FM (2.5 kHz per full-scale unit) on a carrier at
// -24 kHz, with noise.
void iqBlocks(std::vector<std::vector<double>>& left, std::vector<std::vector<double>>& right) {
    std::mt19937 rng(2);
    std::normal_distribution<double> noise(0.0, 200.0);
    left.assign(kBlocks, std::vector<double>(sorae::Demodulator::kFramesPerBlock96k));
    right = left;
    double phase = 0.0;
    long n = 0;
    for (int b = 0; b < kBlocks; ++b) {
        for (int i = 0; i < sorae::Demodulator::kFramesPerBlock96k; ++i, ++n) {
            const double f = -24000.0 + 2500.0 * aptLikeAudio(n, 96000.0, rng) / 6000.0;
            phase = std::fmod(phase + 2.0 * kPi * f / 96000.0, 2.0 * kPi);
            left[b][i] = 8000.0 * std::cos(phase) + noise(rng);
            right[b][i] = 8000.0 * std::sin(phase) + noise(rng);
        }
    }
}

void BM_EnvelopeStage48k(benchmark::State& state) {
    const auto blocks = audioBlocks();
    auto demod = std::make_unique<sorae::Demodulator>();
    std::vector<double> work(sorae::Demodulator::kFramesPerBlock48k);
    int b = 0;
    for (auto _ : state) {
        state.PauseTiming();
        work = blocks[b];
        b = (b + 1) % kBlocks;
        state.ResumeTiming();
        demod->demodulateEnvelope(work.data());
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EnvelopeStage48k)->Unit(benchmark::kMillisecond);

void BM_QuadratureStage96k(benchmark::State& state) {
    std::vector<std::vector<double>> left, right;
    iqBlocks(left, right);
    auto demod = std::make_unique<sorae::Demodulator>();
    std::vector<double> out(sorae::Demodulator::kFramesPerBlock48k);
    int b = 0;
    for (auto _ : state) {
        demod->demodulateQuadrature(left[b].data(), right[b].data(),
                                    sorae::Demodulator::kFramesPerBlock96k, 1.0, out.data());
        benchmark::DoNotOptimize(out.data());
        b = (b + 1) % kBlocks;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuadratureStage96k)->Unit(benchmark::kMillisecond);

void BM_QuadratureAndEnvelope96k(benchmark::State& state) {
    std::vector<std::vector<double>> left, right;
    iqBlocks(left, right);
    auto demod = std::make_unique<sorae::Demodulator>();
    std::vector<double> out(sorae::Demodulator::kFramesPerBlock48k);
    int b = 0;
    for (auto _ : state) {
        demod->demodulateQuadrature(left[b].data(), right[b].data(),
                                    sorae::Demodulator::kFramesPerBlock96k, 1.0, out.data());
        demod->demodulateEnvelope(out.data());
        benchmark::DoNotOptimize(out.data());
        b = (b + 1) % kBlocks;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuadratureAndEnvelope96k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
