// What calibration and the calibrated products add to the end of a pass: a
// 15-minute pass (1800 lines) of channel 2 and channel 4 with its
// telemetry, calibrated, and every product written (temperature TIFF,
// thermal picture with legend, cloud-top, false-colour, map-coloured).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "calibration/pass_calibration.h"
#include "calibration/pass_products.h"
#include "calibration/qt/thermal_legend.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/thermal_scene.h"

using namespace sorae;

namespace {

constexpr int kPassLines = 1800;

std::unique_ptr<LineStore> ThermalPass() {
    const auto scene = testsignal::MakeThermalScene(kPassLines, 200.0, 310.0);
    const auto telemetry = testsignal::DefaultThermalTelemetry(4);
    auto words = testsignal::ThermalScenePicture(scene, 909, kPassLines, "NOAA 19", 4, telemetry, nullptr);
    testsignal::GreyPicture visible(909, kPassLines);
    for (int y = 0; y < kPassLines; ++y)
        for (int x = 0; x < 909; ++x) visible.at(x, y) = std::uint8_t((x * 7 + y * 3) % 200 + 20);
    testsignal::AptLineSource source(visible, *words, 2, 4);
    testsignal::ApplyThermalTelemetry(source, 4, telemetry);
    auto store = std::make_unique<LineStore>();
    for (int line = 0; line < kPassLines; ++line)
        for (int ch = 0; ch < 2; ++ch) {
            const auto half = source.half(line, ch);
            for (int w = 0; w < kWordsPerChannel; ++w) store->at(ch, w, line) = 107.0 + 5.58 * half[w];
        }
    store->lineCount = kPassLines;
    store->firstSyncLine = 0;
    store->lastSyncLine = kPassLines;
    return store;
}

void BM_CalibratePass(benchmark::State& state) {
    auto store = ThermalPass();
    for (auto _ : state) {
        PassCalibration pass = CalibratePass({store.get(), 0, kPassLines, 0, "NOAA 19", true});
        benchmark::DoNotOptimize(pass.channel[1].values.data());
    }
    state.SetLabel("2 x 909 x 1800, NOAA 19 channels 2 and 4");
}
BENCHMARK(BM_CalibratePass)->Unit(benchmark::kMillisecond);

void BM_CalibrationAndAllProducts(benchmark::State& state) {
    auto store = ThermalPass();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("sorae-bench-calib-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    ProductRequest request;
    request.kinds = {ProductKind::Temperature, ProductKind::Thermal, ProductKind::CloudTop,
                     ProductKind::FalseColour, ProductKind::MapColour};
    request.picturePaths = {(folder / "202612091200" "19A.jpg").string(),
                            (folder / "202612091200" "19B.jpg").string()};
    request.title = "NOAA 19  2026/12/09 12:00  CH 4 (IR)";
    std::vector<std::uint8_t> land(std::size_t(909) * kPassLines);
    for (std::size_t i = 0; i < land.size(); ++i) land[i] = (i / 909 + i % 909) % 500 < 200;
    request.landMask = land;
    const ThermalDecorator decorate = MakeThermalDecorator();
    for (auto _ : state) {
        PassCalibration pass = CalibratePass({store.get(), 0, kPassLines, 0, "NOAA 19", true});
        ProductReport report = WriteProducts(pass, request, decorate);
        if (report.filesWritten.size() != 5) state.SkipWithError("a product was not written");
    }
    std::filesystem::remove_all(folder);
    state.SetLabel("15-minute pass, 5 products");
}
BENCHMARK(BM_CalibrationAndAllProducts)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
