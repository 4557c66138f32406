// Time of the pass list on the real element file: every pass of the eight
// selectable satellites over 1 and 7 days, alone and with the 24-hour table
// that judges it (what the pass list window and `passes --all` compute).
#include "bench_data.h"
#include "orbit/all_passes.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

sorae::PassRequest makeRequest()
{
    sorae::PassRequest r;
    // The real element file of the tests.
    r.elementFilePath =
        bench::SourceFile("tests/data/noaa_2019-01-24.txt");
    r.receptionList = sorae::MakeReceptionList({true, true, true, true, true, true, true, true});
    r.now = sorae::UtcInstant{2019, 1, 25, 0, 0, 0};
    return r;
}

void listOnly(benchmark::State& state)
{
    const sorae::PassRequest request = makeRequest();
    const int days = static_cast<int>(state.range(0));
    for (auto _ : state) {
        sorae::PassList list = sorae::ListAllPasses(request, days);
        benchmark::DoNotOptimize(list);
        if (!list.ok || list.satelliteCount != 8)
            state.SkipWithError("expected eight satellites in the element file");
        state.counters["passes"] = static_cast<double>(list.passes.size());
    }
}

void listWithTable(benchmark::State& state)
{
    const sorae::PassRequest request = makeRequest();
    const int days = static_cast<int>(state.range(0));
    for (auto _ : state) {
        sorae::PassList list = sorae::ListPassesWithTableChoice(request, days);
        benchmark::DoNotOptimize(list);
        if (!list.ok || list.satelliteCount != 8)
            state.SkipWithError("expected eight satellites in the element file");
    }
}

}  // namespace

BENCHMARK(listOnly)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);
BENCHMARK(listWithTable)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
