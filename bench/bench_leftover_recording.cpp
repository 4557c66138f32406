// Cost of finishing, at start-up, the pass sound a killed run left: its
// working file is decoded and encoded again into a complete FLAC. Measured
// on one minute of noise-like 96 kHz I/Q (the worst case: the encoder cannot
// squeeze it), so a 15-minute pass takes about 15 times as long. Also the
// free-space check made before each captured block.
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "capture/free_space_guard.h"
#include "capture/leftover_files.h"
#include "capture/pass_audio_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace sorae;

constexpr int kRate = 96000;
constexpr int kSeconds = 60;

// A working file as a SIGKILL leaves it: written by a child that is killed
// with the file open.
std::string killedRecording(const fs::path& folder) {
    const std::string final = (folder / "killed.flac").string();
    const pid_t child = ::fork();
    if (child == 0) {
        PassAudioWriter w;
        if (!w.open(final, kRate)) std::_Exit(1);
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0.0, 4000.0);
        std::vector<int16_t> block(2 * kRate / 2);
        for (int b = 0; b < 2 * kSeconds; ++b) {
            for (auto& x : block) x = int16_t(std::clamp(noise(rng), -32768.0, 32767.0));
            w.append(block.data(), kRate / 2);
        }
        ::kill(::getpid(), SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
    return PassAudioWriter::temporaryPathFor(final);
}

void BM_FinishKilledRecording(benchmark::State& state) {
    char pattern[] = "/tmp/sorae-bench-leftover-XXXXXX";
    const fs::path folder = ::mkdtemp(pattern);
    const std::string original = killedRecording(folder);
    const std::string kept = (folder / "original").string();
    fs::rename(original, kept);
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path() != kept) fs::remove(e.path());
        fs::copy_file(kept, original);
        state.ResumeTiming();
        LeftoverFiles out;
        finishLeftoverRecording(original, out);
        if (out.finished.size() != 1) state.SkipWithError("not finished");
    }
    state.counters["MB"] = double(fs::file_size(kept)) / 1e6;
    fs::remove_all(folder);
}
BENCHMARK(BM_FinishKilledRecording)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FreeSpaceCheck(benchmark::State& state) {
    const FreeSpaceGuard guard;
    const std::string folder = fs::temp_directory_path().string();
    for (auto _ : state) benchmark::DoNotOptimize(guard.hasRoom(folder));
}
BENCHMARK(BM_FreeSpaceCheck);

}  // namespace

BENCHMARK_MAIN();
