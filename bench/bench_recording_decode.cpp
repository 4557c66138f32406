// Decoding a recording file end to end (RecordingDecoder::run: read,
// resample, shift, demodulate, decode into the line store), for one minute of
// each kind of recording, and what the line store costs to set up against a
// store cleared at start-up. Multiply the file figures by 15 for a pass.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "apt/line_store.h"
#include "recording/recording_decoder.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"
#include "testsignal/test_patterns.h"

namespace {

namespace fs = std::filesystem;
using namespace sorae::testsignal;

struct Kind {
    SignalKind signal;
    int rate;
    double carrierHz;
};

const Kind kKinds[] = {
    {SignalKind::Audio, 48000, 0.0},      // 0
    {SignalKind::Audio, 11025, 0.0},      // 1
    {SignalKind::Audio, 44100, 0.0},      // 2
    {SignalKind::IQ, 96000, -24000.0},    // 3: a receiver's IF output
    {SignalKind::IQ, 192000, 0.0},        // 4: an SDR's baseband
};

// One minute of the kind, written once per process.
std::string recording(int index, long lines) {
    const Kind& k = kKinds[index];
    const fs::path path = fs::temp_directory_path() /
                          ("sorae-bench-" + std::to_string(::getpid()) + "-" + std::to_string(index) +
                           "-" + std::to_string(lines) + ".wav");
    if (fs::exists(path)) return path.string();
    GeneratorOptions options;
    options.kind = k.signal;
    options.sampleRate = k.rate;
    options.carrierHz = k.carrierHz;
    options.lines = lines;
    options.snrDb = 25.0;
    AptSignalGenerator generator(AptLineSource(*makePattern("card", int(lines), 'A'),
                                               *makePattern("gradient", int(lines), 'B'), 2, 4),
                                 options);
    writeRecording(path.string(), generator, SampleFormat::Int16);
    return path.string();
}

void decodeFile(benchmark::State& state, long lines, bool coherent = true, bool trackLineRate = true) {
    const int index = int(state.range(0));
    const std::string path = recording(index, lines);
    sorae::RecordingDecodeOptions options;
    options.path = path;
    options.quadrature = kKinds[index].signal == SignalKind::IQ;
    options.coherent = coherent;
    options.trackLineRate = trackLineRate;
    int stored = 0;
    for (auto _ : state) {
        auto store = std::make_unique<sorae::LineStore>();
        sorae::RecordingDecoder decoder(*store);
        const auto result = decoder.run(options);
        stored = result.linesStored;
        if (!result.ok) state.SkipWithError(result.error.c_str());
    }
    state.counters["lines"] = stored;
    fs::remove(path);
}

void BM_DecodeOneMinute(benchmark::State& state) { decodeFile(state, 120); }
BENCHMARK(BM_DecodeOneMinute)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the envelope's magnitude instead of coherent detection.
void BM_DecodeOneMinuteEnvelope(benchmark::State& state) { decodeFile(state, 120, false); }
BENCHMARK(BM_DecodeOneMinuteEnvelope)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Without following the line rate between syncs.
void BM_DecodeOneMinuteUntracked(benchmark::State& state) { decodeFile(state, 120, true, false); }
BENCHMARK(BM_DecodeOneMinuteUntracked)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeShortFile(benchmark::State& state) { decodeFile(state, 20); }
BENCHMARK(BM_DecodeShortFile)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LineStoreSetUp(benchmark::State& state) {
    for (auto _ : state) {
        auto store = std::make_unique<sorae::LineStore>();
        benchmark::DoNotOptimize(store->at(1, 1039, 2399));
    }
}
BENCHMARK(BM_LineStoreSetUp)->Unit(benchmark::kMicrosecond);

// The same 38 MB cleared at start-up, as the store used to be.
void BM_ZeroFilledStoreSetUp(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> values(2 * sorae::LineStore::kValuesPerChannel, 0.0);
        benchmark::DoNotOptimize(values.data());
    }
}
BENCHMARK(BM_ZeroFilledStoreSetUp)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
