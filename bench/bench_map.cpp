// Timing of the orbit view: the base map of the shipped outline file, the
// once-a-second flat redraw with the default satellites (also with the
// footprints, night side and pass times of the [Map] options), the globe-mode pass
// track, and the horizon clipping of the globe's outlines.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <string>
#include <vector>

#include "bench_data.h"
#include "map/globe_clipping.h"
#include "map/map_outline_passes.h"
#include "map/qt/map_renderer.h"
#include "map/qt/track_painter.h"
#include "map/track_builder.h"


namespace {

sorae::MapTrackContext DefaultContext() {
    sorae::MapTrackContext c;
    c.elementFilePath = bench::SourceFile("tests/data/noaa_2019-01-24.txt");
    c.receptionNames = {"", "", "", "NOAA-15", "", "NOAA-17", "NOAA-18", "NOAA-19"};
    c.nextPass.satellite = "NOAA-19";
    c.nextPass.frequencyMHz = 137.1;
    c.nowUtc = sorae::UtcInstant{2019, 1, 25, 3, 10, 0};
    c.stationNow = sorae::EncodeDayTime(2019, 1, 25, 12, 10, 0);
    c.currentPassEnd = sorae::EncodeDayTime(2019, 1, 25, 12, 25, 0);  // 15 minutes ahead
    return c;
}

void BM_DrawBaseMapFlat(benchmark::State& state) {
    sorae::AppSettings settings;
    sorae::MapRenderer renderer(settings);
    renderer.setMapFilePath(bench::SourceFile("data/AllWorld.map"));
    renderer.resize(1042, 640);
    for (auto _ : state) {
        renderer.SetUpProjection();
        renderer.DrawBaseMap();
    }
}
BENCHMARK(BM_DrawBaseMapFlat)->Unit(benchmark::kMillisecond);

void BM_DrawBaseMapGlobe(benchmark::State& state) {
    sorae::AppSettings settings;
    sorae::MapRenderer renderer(settings);
    renderer.setMapFilePath(bench::SourceFile("data/AllWorld.map"));
    renderer.resize(1042, 640);
    renderer.setPassMode(true);
    for (auto _ : state) {
        renderer.SetUpProjection();
        renderer.DrawBaseMap();
    }
}
BENCHMARK(BM_DrawBaseMapGlobe)->Unit(benchmark::kMillisecond);

void BM_RedrawMapFlat(benchmark::State& state) {
    sorae::AppSettings settings;
    sorae::MapRenderer renderer(settings);
    renderer.setMapFilePath(bench::SourceFile("data/AllWorld.map"));
    renderer.resize(1042, 640);
    renderer.DrawBaseMap();
    sorae::ElementFileTrackSource source;
    source.context = DefaultContext();
    for (auto _ : state) benchmark::DoNotOptimize(renderer.RedrawMap(source));
}
BENCHMARK(BM_RedrawMapFlat)->Unit(benchmark::kMillisecond);

// The same with everything the [Map] options add: footprints, the night
// side's shading and the next pass's AOS/LOS times.
void BM_RedrawMapFlatWithOverlays(benchmark::State& state) {
    sorae::AppSettings settings;
    settings.mapFootprints = true;
    settings.mapTerminator = true;
    settings.mapPassTimes = true;
    sorae::MapRenderer renderer(settings);
    renderer.setMapFilePath(bench::SourceFile("data/AllWorld.map"));
    renderer.resize(1042, 640);
    renderer.DrawBaseMap();
    sorae::ElementFileTrackSource source;
    source.context = DefaultContext();
    source.context.nextPass.start = sorae::EncodeDayTime(2019, 1, 25, 12, 30, 0);
    source.context.nextPass.end = sorae::EncodeDayTime(2019, 1, 25, 12, 44, 0);
    renderer.setUtcNow(source.context.nowUtc);
    for (auto _ : state) benchmark::DoNotOptimize(renderer.RedrawMap(source));
}
BENCHMARK(BM_RedrawMapFlatWithOverlays)->Unit(benchmark::kMillisecond);

void BM_RedrawMapGlobePass15Minutes(benchmark::State& state) {
    sorae::AppSettings settings;
    sorae::MapRenderer renderer(settings);
    renderer.setMapFilePath(bench::SourceFile("data/AllWorld.map"));
    renderer.resize(1042, 640);
    renderer.setPassMode(true);
    sorae::ElementFileTrackSource source;
    source.context = DefaultContext();
    renderer.RedrawMap(source);  // draws the globe base map once
    for (auto _ : state) benchmark::DoNotOptimize(renderer.RedrawMap(source));
}
BENCHMARK(BM_RedrawMapGlobePass15Minutes)->Unit(benchmark::kMillisecond);

// The pass track alone: 901 one-second steps computed and drawn.
void BM_DrawPassTrack15Minutes(benchmark::State& state) {
    sorae::ElementFileTrackSource source;
    source.context = DefaultContext();
    sorae::AppSettings settings;
    QImage bitmap(1042, 640, QImage::Format_RGB32);
    const sorae::MapProjection projection =
        sorae::SetUpProjection({settings.locateN, settings.locateE, true, 1042, 640});
    for (auto _ : state) {
        std::optional<sorae::SatelliteTrack> t = source.passTrack();
        if (t) sorae::PaintPassTrack(bitmap, projection, settings, *t);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_DrawPassTrack15Minutes)->Unit(benchmark::kMillisecond);

// Horizon clipping alone: every ring of the shipped outline cut for one
// station (the file is read once, outside the loop).
void BM_ClipWorldToGlobe(benchmark::State& state) {
    sorae::MapProjection flat = sorae::SetUpProjection({0.0, 0.0, false, 360, 180});
    std::vector<sorae::MapPolygon> polygons;
    sorae::RunPolygonPass(bench::SourceFile("data/AllWorld.map"), flat, {},
                          [&](const sorae::MapPolygon& p) { polygons.push_back(p); });
    sorae::AppSettings settings;
    const sorae::MapProjection globe =
        sorae::SetUpProjection({settings.locateN, settings.locateE, true, 1040, 640});
    for (auto _ : state) {
        std::size_t points = 0;
        for (const sorae::MapPolygon& p : polygons)
            for (const sorae::ClippedRing& r : sorae::ClipRingToGlobe(globe, p.vertices, p.outlined))
                points += r.points.size();
        benchmark::DoNotOptimize(points);
    }
}
BENCHMARK(BM_ClipWorldToGlobe)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
