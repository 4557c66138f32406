// Decoding eight recordings one after the other against side by side on a
// pool of two jobs (`sorae-apt decode --jobs 2`): reading, demodulation and
// line decoding of each file, as the batch decoder runs them. The
// recordings are five-minute 48 kHz passes, kept in memory-backed files
// where the machine has them so that the disk does not set the pace.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "apt/line_store.h"
#include "recording/batch_decoder.h"
#include "recording/recording_decoder.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"
#include "testsignal/test_patterns.h"

namespace {

namespace fs = std::filesystem;
using namespace sorae::testsignal;

constexpr int kFiles = 8;
constexpr long kLines = 600;  // five minutes

struct Recordings {
    fs::path folder;
    std::vector<std::string> files;
    Recordings() {
        const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        folder = base / ("sorae-bench-batch-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        for (int i = 0; i < kFiles; ++i) {
            GeneratorOptions options;
            options.sampleRate = 48000;
            options.lines = kLines;
            options.snrDb = 20.0;
            options.seed = std::uint64_t(i + 1);
            AptSignalGenerator generator(AptLineSource(*makePattern("card", int(kLines), 'A'),
                                                       *makePattern("gradient", int(kLines), 'B'), 2, 4),
                                         options);
            files.push_back((folder / ("pass" + std::to_string(i) + ".wav")).string());
            writeRecording(files.back(), generator, SampleFormat::Int16);
        }
    }
    ~Recordings() { fs::remove_all(folder); }
};

Recordings& recordings() {
    static Recordings r;
    return r;
}

void BM_DecodeEightRecordings(benchmark::State& state) {
    const int jobs = int(state.range(0));
    const sorae::BatchJob job = [](const std::string& path, sorae::LineStore& store, const sorae::DecodeProgress&) {
        sorae::RecordingDecoder decoder(store);
        sorae::RecordingDecodeOptions options;
        options.path = path;
        sorae::PassFileReport report;
        report.path = path;
        report.recording = decoder.run(options);
        report.decoded = report.recording.ok;
        return report;
    };
    const std::vector<std::string>& files = recordings().files;  // made before the timing
    int decoded = 0;
    for (auto _ : state) {
        decoded = 0;
        for (const auto& report : sorae::RunBatch(files, jobs, job)) decoded += report.decoded ? 1 : 0;
    }
    state.counters["decoded"] = decoded;
}
BENCHMARK(BM_DecodeEightRecordings)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
