// Time of one 24-hour pass computation on the real element file, with the
// look-ahead over unreachable seconds and with every second evaluated.
#include "bench_data.h"
#include "orbit/pass_computation.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

sorae::PassRequest makeRequest(bool allEight, bool skip)
{
    sorae::PassRequest r;
    // The real element file of the tests.
    r.elementFilePath =
        bench::SourceFile("tests/data/noaa_2019-01-24.txt");
    r.receptionList = sorae::MakeReceptionList(
        allEight ? std::array<bool, 8>{true, true, true, true, true, true, true, true}
                 : std::array<bool, 8>{false, false, false, true, false, true, true, true});
    r.now = sorae::UtcInstant{2019, 1, 25, 0, 0, 0};
    r.skipUnreachableSeconds = skip;
    return r;
}

void passes(benchmark::State& state, bool allEight, bool skip)
{
    const sorae::PassRequest request = makeRequest(allEight, skip);
    for (auto _ : state) {
        sorae::PassComputation result = sorae::ComputePasses(request);
        benchmark::DoNotOptimize(result);
        if (!result.ok)
            state.SkipWithError("element file not readable");
    }
}

}  // namespace

BENCHMARK_CAPTURE(passes, four_satellites, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passes, eight_satellites, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passes, four_satellites_every_second, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(passes, eight_satellites_every_second, true, false)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
