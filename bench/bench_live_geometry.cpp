// Timing of the live view's geometry over a 15-minute pass (NOAA 19 over
// Europe and Africa, 2019-05-21), run from the build folder (the data is
// found beside this file's path as the compiler saw it): one refresh as the
// window makes it every ten seconds of pass, after 200, 1000 and 1800 lines
// received: the sound lost from a replayed recording looked for, the swath
// of the received and predicted lines built, and the outline and grid
// traced through it for the next repaint.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_data.h"
#include "geo/live_swath.h"
#include "geo/picture_overlay.h"
#include "geo/world_outline.h"
#include "recording/recording_gaps.h"


namespace {

constexpr double kStart = 1558458124.0 - 300.0;  // 2019-05-21 16:57:04 UTC

const sorae::OrbitAtTime& Orbit() {
    static const auto orbit = [] {
        std::string message;
        auto o = sorae::LiveSwath::orbitFromElementFile(bench::SourceFile("tests/data/noaa_2019-05-21.txt"), "NOAA 19",
                                                        kStart, &message);
        if (!o) {
            std::fprintf(stderr, "bench_live_geometry: %s\n", message.c_str());
            std::exit(1);
        }
        return *o;
    }();
    return orbit;
}

const std::vector<sorae::OutlineTraceLine>& Outline() {
    static const auto lines = sorae::OutlineTraceLines(*sorae::LoadWorldOutline(bench::SourceFile("data/AllWorld.map")));
    return lines;
}

void BM_LiveRefresh(benchmark::State& state) {
    const int lines = int(state.range(0));
    auto store = std::make_unique<sorae::LineStore>();
    // Sync A on every line, and 20.3 s lost before line 600.
    for (int l = 0; l < lines; ++l) {
        store->setLineSeconds(l, 0.3 + 0.5 * l - (l >= 600 ? 20.3 : 0.0));
        for (int pulse = 0; pulse < 7; ++pulse)
            store->at(0, 3 + 4 * pulse, l) = store->at(0, 4 + 4 * pulse, l) = 1530.0;
    }
    store->lineCount = lines;
    Outline();
    std::size_t points = 0;
    for (auto _ : state) {
        sorae::LiveSwath live(Orbit(), {}, kStart);
        const auto gaps = sorae::FindRecordingGaps(*store);
        const auto swath =
            live.build(*store, lines, nullptr, [&gaps](int line) { return sorae::SecondsLostBefore(gaps, line); });
        sorae::OverlayOptions options;
        options.rows = swath->rows();
        const auto footprint = sorae::SwathFootprint::fromPicture(
            [&swath](sorae::PicturePoint p) { return swath->groundPoint(p); }, options.columns, options.rows);
        const auto overlay = sorae::BuildPictureOverlay(
            Outline(), [&swath](sorae::GeoPoint g) { return swath->picturePoint(g); }, footprint, options);
        points = 0;
        for (const auto& l : overlay.lines) points += l.points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}
BENCHMARK(BM_LiveRefresh)->Arg(200)->Arg(1000)->Arg(1800)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
