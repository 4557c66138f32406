// Throughput of picture work at the end of a pass and of the live view:
// building both pictures of a full store, writing and reading a JPEG of a
// full-height picture, and drawing one received line into the live views.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

#include "imaging/jpeg_file.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/picture_image.h"

using namespace sorae;

namespace {

std::unique_ptr<LineStore> FullStore() {
    auto store = std::make_unique<LineStore>();
    for (int ch = 0; ch < 2; ++ch)
        for (int w = 0; w < kWordsPerChannel; ++w)
            for (int l = 0; l < kMaxLines; ++l)
                store->at(ch, w, l) = 6.0 * (128 + 100 * std::sin(w / 37.0 + l / 53.0 + ch));
    store->lineCount = kMaxLines;
    store->firstSyncLine = 0;
    store->lastSyncLine = kMaxLines - 1;
    return store;
}

void BM_BuildPassPictures(benchmark::State& state) {
    auto store = FullStore();
    PassPictureInputs in;
    in.store = store.get();
    in.rules.picSave = false;
    in.pass.satelliteName = "NOAA-19";
    const TitleDrawer drawer = MakeTitleDrawer();
    for (auto _ : state) {
        PassPictureResult r = BuildPassPictures(in, {}, drawer);
        benchmark::DoNotOptimize(r.pictureA.bgr.data());
    }
    state.SetLabel("2 x 1040 x 2399 rows, titled");
}
BENCHMARK(BM_BuildPassPictures)->Unit(benchmark::kMillisecond);

void BM_JpegWriteAndRead(benchmark::State& state) {
    auto store = FullStore();
    PictureBuffer picture;
    FillChannelPicture(*store, 0, 0, kMaxLines, 0, 1.0, 0.0, picture);
    const std::string path = "/tmp/sorae-bench-picture.jpg";
    for (auto _ : state) {
        benchmark::DoNotOptimize(SavePictureJpeg(picture, path).ok);
        benchmark::DoNotOptimize(LoadJpegPicture(path).ok);
    }
    std::remove(path.c_str());
    state.SetLabel("1040 x 2400, quality 100");
}
BENCHMARK(BM_JpegWriteAndRead)->Unit(benchmark::kMillisecond);

void BM_LiveLine(benchmark::State& state) {
    ImageDisplay display;
    display.resize(1040, 677);
    display.show();
    display.setStretch(state.range(0) != 0);
    std::array<double, 1040> a{}, b{};
    for (int w = 0; w < 1040; ++w) a[w] = b[w] = 6.0 * (w % 256);
    for (auto _ : state) display.appendLiveLine(a.data(), b.data(), 0);
    state.SetLabel(state.range(0) ? "stretched" : "1:1");
}
BENCHMARK(BM_LiveLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
