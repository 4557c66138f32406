// Cost of the demodulator per half-second block: the envelope stage on
// 48 kHz audio, and the quadrature plus envelope stages on 96 kHz I/Q.
// The input is an APT-like signal (a 2400 Hz subcarrier amplitude-modulated
// at the word rate, with some noise), frequency-modulated for the I/Q case,
// so that no filter runs on denormals or on a constant.
#include "capture/demodulator.h"
#include "capture/pass_audio_writer.h"
#include "capture/recording_reader.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
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

// A 15-minute recording read from disk (page cache) and taken through the
// envelope stage block by block, as decoding a file does (the line decoder
// itself is measured elsewhere). One second of APT-like signal is repeated.
std::string writeLongRecording(int rate, int channels) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("sorae_bench_" + std::to_string(::getpid()) + "_" +
                               std::to_string(rate) + ".wav"))
                                 .string();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return {};
    std::mt19937 rng(3);
    std::vector<short> second(size_t(rate) * channels);
    for (int n = 0; n < rate; ++n) {
        const double v = aptLikeAudio(n, double(rate), rng);
        for (int c = 0; c < channels; ++c) second[size_t(n) * channels + c] = short(v);
    }
    for (int s = 0; s < 15 * 60; ++s) sf_writef_short(f, second.data(), rate);
    sf_close(f);
    return path;
}

void readAndDemodulate(benchmark::State& state, int rate, int channels) {
    const std::string path = writeLongRecording(rate, channels);
    if (path.empty()) {
        state.SkipWithError("cannot write the recording");
        return;
    }
    std::vector<int16_t> block(2 * sorae::RecordingReader::kAudioFramesPerBlock);
    std::vector<double> demod(sorae::Demodulator::kFramesPerBlock48k);
    for (auto _ : state) {
        sorae::RecordingReader reader;
        auto demodulator = std::make_unique<sorae::Demodulator>();
        if (!reader.open(path, sorae::RecordingKind::Audio)) {
            state.SkipWithError(reader.errorMessage().c_str());
            break;
        }
        long blocks = 0;
        while (reader.nextBlock(block.data())) {
            for (int k = 0; k < sorae::Demodulator::kFramesPerBlock48k; ++k) demod[k] = double(block[2 * k]);
            demodulator->demodulateEnvelope(demod.data());
            ++blocks;
        }
        state.counters["blocks"] = double(blocks);
    }
    std::remove(path.c_str());
}

void BM_Read15MinWav48kStereoAndEnvelope(benchmark::State& state) { readAndDemodulate(state, 48000, 2); }
BENCHMARK(BM_Read15MinWav48kStereoAndEnvelope)->Unit(benchmark::kSecond)->Iterations(2);

void BM_Read15MinWav11025MonoResampledAndEnvelope(benchmark::State& state) {
    readAndDemodulate(state, 11025, 1);
}
BENCHMARK(BM_Read15MinWav11025MonoResampledAndEnvelope)->Unit(benchmark::kSecond)->Iterations(2);

// Keeping a pass's sound: one captured block appended to the FLAC file
// (done on the GUI thread with every decoded block).
void passAudioAppend(benchmark::State& state, int rate) {
    const int frames = rate / 2;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("sorae_bench_pass_" + std::to_string(::getpid()) + ".flac"))
                                 .string();
    std::mt19937 rng(4);
    std::vector<int16_t> block(2 * size_t(frames));
    long n = 0;
    for (int i = 0; i < frames; ++i, ++n) {
        const short v = short(aptLikeAudio(n, double(rate), rng));
        block[2 * size_t(i)] = v;
        block[2 * size_t(i) + 1] = short(v / 3);
    }
    sorae::PassAudioWriter writer;
    if (!writer.open(path, rate)) {
        state.SkipWithError(writer.errorMessage().c_str());
        return;
    }
    for (auto _ : state) {
        if (!writer.append(block.data(), frames)) {
            state.SkipWithError(writer.errorMessage().c_str());
            break;
        }
    }
    writer.abandon();
}

void BM_PassAudioAppend48k(benchmark::State& state) { passAudioAppend(state, 48000); }
BENCHMARK(BM_PassAudioAppend48k)->Unit(benchmark::kMillisecond);

void BM_PassAudioAppend96kIq(benchmark::State& state) { passAudioAppend(state, 96000); }
BENCHMARK(BM_PassAudioAppend96kIq)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
