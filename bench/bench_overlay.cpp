// Timing of the map overlay over a 15-minute pass (NOAA 19 over Europe and
// Africa, 2019-05-21), run from the build folder (the data is found beside
// this file's path as the compiler saw it): tracing the outline and grid through the swath once
// per picture, drawing it into the image area as the view is redrawn
// (1:1 and stretched), and drawing it onto the whole picture for saving.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <string>
#include <vector>

#include "bench_data.h"
#include "geo/orbit_source.h"
#include "geo/picture_overlay.h"
#include "geo/world_outline.h"
#include "imaging/qt/picture_overlay_painter.h"
#include "imaging/view_placement.h"
#include "orbit/orbital_elements.h"


namespace {

constexpr int kRows = 1800;                      // 15 minutes, two lines a second
constexpr double kStart = 1558458124.0 - 300.0;  // 2019-05-21 16:57:04 UTC

const sorae::SwathGeolocation& Swath() {
    static const auto swath = [] {
        sorae::ElementSetArray sets;
        int count = 0;
        sorae::ReadElementFile(sets, count, bench::SourceFile("tests/data/noaa_2019-05-21.txt"));
        bench::Require(count >= 2, "the NOAA 19 element set");
        sorae::SwathInputs in;
        in.orbit = sorae::OrbitFromPropagator(*sorae::Sgp4Propagator::fromElements(sets[1], nullptr));
        in.turned = true;
        in.rowUnixSeconds.resize(kRows);
        for (int r = 0; r < kRows; ++r) in.rowUnixSeconds[std::size_t(r)] = kStart + 0.5 * (kRows - 1 - r);
        auto built = sorae::SwathGeolocation::build(in, nullptr);
        bench::Require(built.has_value(), "the swath");
        return std::move(*built);
    }();
    return swath;
}

const std::vector<sorae::OutlineTraceLine>& Outline() {
    static const auto lines =
        sorae::OutlineTraceLines(*sorae::LoadWorldOutline(bench::SourceFile("data/AllWorld.map")));
    return lines;
}

sorae::PictureOverlay Trace() {
    const auto& swath = Swath();
    sorae::OverlayOptions options;
    options.rows = kRows;
    const auto footprint = sorae::SwathFootprint::fromPicture(
        [&swath](sorae::PicturePoint p) { return swath.groundPoint(p); }, options.columns, options.rows);
    return sorae::BuildPictureOverlay(
        Outline(), [&swath](sorae::GeoPoint g) { return swath.picturePoint(g); }, footprint, options);
}

const sorae::OverlayDrawing& Drawing() {
    static const sorae::OverlayDrawing drawing(Trace(), sorae::ImageAreaFirstColumn(true));
    return drawing;
}

void BM_TraceOverlay(benchmark::State& state) {
    Outline();
    Swath();
    std::size_t points = 0;
    for (auto _ : state) {
        const auto overlay = Trace();
        points = 0;
        for (const auto& l : overlay.lines) points += l.points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}
BENCHMARK(BM_TraceOverlay)->Unit(benchmark::kMillisecond);

// One repaint of the image area (1042 x 640 at the designed window size)
// over the middle of the pass: the composed screen copied, the overlay drawn.
void BM_RedrawOverlay(benchmark::State& state) {
    const bool stretch = state.range(0) != 0;
    const int width = 1042, height = 640;
    const int viewHeight = stretch ? height * 1040 / width : height;
    const sorae::ViewPlacement placement =
        sorae::PlacementOfPictures(width, height, stretch, viewHeight, kRows, kRows / 2);
    const QTransform toArea(placement.scaleX(), 0, 0, placement.scaleY(), placement.offsetX(), placement.offsetY());
    const QRectF visible(0, placement.firstRow - 1, 1040, viewHeight + 2);
    QImage screen(width, height, QImage::Format_RGB32);
    screen.fill(QColor(90, 90, 90));
    QImage device(width, height, QImage::Format_RGB32);
    Drawing();
    for (auto _ : state) {
        QPainter painter(&device);
        painter.drawImage(0, 0, screen);
        Drawing().paint(painter, toArea, visible);
        painter.end();
        benchmark::DoNotOptimize(device.bits());
    }
}
BENCHMARK(BM_RedrawOverlay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole 1040 x 1800 picture overlaid for saving.
void BM_OverlayWholePicture(benchmark::State& state) {
    QImage picture(1040, kRows, QImage::Format_RGB32);
    picture.fill(QColor(90, 90, 90));
    Drawing();
    for (auto _ : state) benchmark::DoNotOptimize(sorae::PictureWithOverlay(picture, Drawing()));
}
BENCHMARK(BM_OverlayWholePicture)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
