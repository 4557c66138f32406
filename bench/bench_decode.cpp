// Cost of line decoding per half-second block: DecodeBlock with its
// telemetry on a locked signal, alone, behind the envelope stage on 48 kHz
// audio, and behind both demodulator stages on 96 kHz I/Q (the whole
// per-block chain of a reception, without the live-view drawing).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "apt/line_decoder.h"
#include "capture/demodulator.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/test_patterns.h"

namespace {

constexpr int kBlocks = 16;                 // lines cycled through (two wedges)
constexpr int kAudioPerBlock = sorae::Demodulator::kFramesPerBlock48k;

// Word value 0..1 of an APT-like line: sync A, a picture, telemetry wedges.
double wordLevel(int line, int word) {
    const int inHalf = word % 1040;
    if (inHalf < 39) {
        if (word >= 1040) return (inHalf >= 4 && (inHalf - 4) % 5 < 3 && inHalf < 39) ? 1.0 : 0.05;
        return (inHalf >= 3 && inHalf < 31 && (inHalf - 3) % 4 < 2) ? 1.0 : 0.05;
    }
    if (inHalf >= 995) return ((line / 8) % 8 + 1) / 8.0;
    return 0.1 + 0.35 * double((word * 7919 + line * 104729) % 256) / 255.0;
}

// 2400 Hz subcarrier modulated by the words, 24000 samples a line, with noise.
std::vector<std::vector<double>> audioBlocks() {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 150.0);
    std::vector<std::vector<double>> blocks(kBlocks, std::vector<double>(kAudioPerBlock));
    const int syncStart = 7000;   // where each line begins within a block
    for (int b = 0; b < kBlocks; ++b) {
        for (int n = 0; n < kAudioPerBlock; ++n) {
            int rel = n - syncStart;
            int line = b;
            if (rel < 0) {
                rel += kAudioPerBlock;
                line = (b + kBlocks - 1) % kBlocks;
            }
            const int word = int(std::int64_t(rel) * 2080 / kAudioPerBlock);
            const double carrier = std::cos(2.0 * std::numbers::pi * 2400.0 * n / 48000.0);
            blocks[b][n] = 3816.0 * wordLevel(line, word) * carrier + noise(rng);
        }
    }
    return blocks;
}

// The envelopes of those blocks, after the demodulator has settled.
std::vector<std::vector<double>> envelopeBlocks() {
    const auto audio = audioBlocks();
    auto demod = std::make_unique<sorae::Demodulator>();
    std::vector<double> buffer(kAudioPerBlock);
    std::vector<std::vector<double>> envelopes(kBlocks);
    for (int pass = 0; pass < 2; ++pass) {
        for (int b = 0; b < kBlocks; ++b) {
            std::copy(audio[b].begin(), audio[b].end(), buffer.begin());
            demod->demodulateEnvelope(buffer.data());
            envelopes[b].assign(buffer.begin(), buffer.begin() + sorae::kEnvelopeBlockSamples);
        }
    }
    return envelopes;
}

void BM_DecodeBlock(benchmark::State& state) {
    const auto envelopes = envelopeBlocks();
    auto store = std::make_unique<sorae::LineStore>();
    auto decoder = std::make_unique<sorae::LineDecoder>(*store);
    decoder->resetForNewPass();
    sorae::DecodeContext context;
    int b = 0;
    int locked = 0;
    for (auto _ : state) {
        const auto r = decoder->decodeBlock(envelopes[b].data(), context, nullptr);
        locked += r.syncLocked;
        benchmark::DoNotOptimize(r);
        if (++b == kBlocks) b = 0;
        if (store->lineCount >= sorae::kMaxLines) decoder->resetForNewPass();
    }
    state.counters["locked"] = benchmark::Counter(locked, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DecodeBlock)->Unit(benchmark::kMillisecond);

void BM_EnvelopeAndDecode48k(benchmark::State& state) {
    const auto audio = audioBlocks();
    auto demod = std::make_unique<sorae::Demodulator>();
    auto store = std::make_unique<sorae::LineStore>();
    auto decoder = std::make_unique<sorae::LineDecoder>(*store);
    decoder->resetForNewPass();
    sorae::DecodeContext context;
    std::vector<double> buffer(kAudioPerBlock);
    int b = 0;
    int locked = 0;
    for (auto _ : state) {
        std::copy(audio[b].begin(), audio[b].end(), buffer.begin());   // as the capture does
        demod->demodulateEnvelope(buffer.data());
        const auto r = decoder->decodeBlock(buffer.data(), context, nullptr);
        locked += r.syncLocked;
        benchmark::DoNotOptimize(r);
        if (++b == kBlocks) b = 0;
        if (store->lineCount >= sorae::kMaxLines) decoder->resetForNewPass();
    }
    state.counters["locked"] = benchmark::Counter(locked, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_EnvelopeAndDecode48k)->Unit(benchmark::kMillisecond);

// 96 kHz I/Q blocks from the test transmitter, split into I and Q.
void quadratureBlocks(std::vector<std::vector<double>>& i, std::vector<std::vector<double>>& q) {
    using namespace sorae::testsignal;
    GeneratorOptions options;
    options.kind = SignalKind::IQ;
    options.sampleRate = 96000;
    options.snrDb = 25.0;
    options.lines = kBlocks + 1;
    AptSignalGenerator generator(
        AptLineSource(makeBarsPattern(64), makeGradientPattern(64), 4, 2), options);
    const int frames = sorae::Demodulator::kFramesPerBlock96k;
    std::vector<double> interleaved(2 * std::size_t(frames));
    i.assign(kBlocks, std::vector<double>(frames));
    q = i;
    for (int b = 0; b < kBlocks; ++b) {
        generator.generate(interleaved);
        for (int n = 0; n < frames; ++n) {
            i[b][n] = toInt16(interleaved[2 * n]);
            q[b][n] = toInt16(interleaved[2 * n + 1]);
        }
    }
}

void BM_QuadratureEnvelopeAndDecode96k(benchmark::State& state) {
    std::vector<std::vector<double>> i, q;
    quadratureBlocks(i, q);
    auto demod = std::make_unique<sorae::Demodulator>();
    auto store = std::make_unique<sorae::LineStore>();
    auto decoder = std::make_unique<sorae::LineDecoder>(*store);
    decoder->resetForNewPass();
    sorae::DecodeContext context;
    std::vector<double> audio(kAudioPerBlock);
    int b = 0;
    int locked = 0;
    for (auto _ : state) {
        demod->demodulateQuadrature(i[b].data(), q[b].data(), sorae::Demodulator::kFramesPerBlock96k,
                                    1.0, audio.data());
        demod->demodulateEnvelope(audio.data());
        const auto r = decoder->decodeBlock(audio.data(), context, nullptr);
        locked += r.syncLocked;
        benchmark::DoNotOptimize(r);
        if (++b == kBlocks) b = 0;
        if (store->lineCount >= sorae::kMaxLines) decoder->resetForNewPass();
    }
    state.counters["locked"] = benchmark::Counter(locked, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_QuadratureEnvelopeAndDecode96k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
