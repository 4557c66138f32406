// Timing of the georeferencing a decoded 15-minute pass adds: the swath
// geometry, the land mask, the coast alignment, and the whole step with its
// two GeoTIFF files (NOAA 19 over Europe and Africa, 2019-05-21).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_data.h"
#include "geo/coast_alignment.h"
#include "geo/land_mask.h"
#include "geo/orbit_source.h"
#include "geo/pass_products.h"
#include "orbit/orbital_elements.h"


namespace {

constexpr int kRows = 1800;                        // 15 minutes, two lines a second
constexpr double kStart = 1558458124.0 - 300.0;    // 2019-05-21 16:57:04 UTC

sorae::SwathInputs PassInputs() {
    sorae::ElementSetArray sets;
    int count = 0;
    sorae::ReadElementFile(sets, count, bench::SourceFile("tests/data/noaa_2019-05-21.txt"));
    bench::Require(count >= 2, "the NOAA 19 element set");
    sorae::SwathInputs in;
    in.orbit = sorae::OrbitFromPropagator(*sorae::Sgp4Propagator::fromElements(sets[1], nullptr));
    in.turned = true;
    in.rowUnixSeconds.resize(kRows);
    for (int r = 0; r < kRows; ++r) in.rowUnixSeconds[r] = kStart + 0.5 * (kRows - 1 - r);
    return in;
}

const sorae::WorldOutline& Outline() {
    static const auto outline = *sorae::LoadWorldOutline(bench::SourceFile("data/AllWorld.map"));
    return outline;
}

// A picture with coasts to find: land bright, sea dark.
std::vector<float> Picture() {
    const auto swath = *sorae::SwathGeolocation::build(PassInputs(), nullptr);
    const auto mask = sorae::RenderLandMask(swath, Outline());
    std::vector<float> picture(mask.size());
    for (std::size_t i = 0; i < mask.size(); ++i) picture[i] = mask[i] ? 160.0f : 40.0f;
    return picture;
}

void BM_BuildSwath(benchmark::State& state) {
    const auto in = PassInputs();
    for (auto _ : state) benchmark::DoNotOptimize(sorae::SwathGeolocation::build(in, nullptr));
}
BENCHMARK(BM_BuildSwath)->Unit(benchmark::kMillisecond);

void BM_LandMask(benchmark::State& state) {
    const auto swath = *sorae::SwathGeolocation::build(PassInputs(), nullptr);
    Outline();
    for (auto _ : state) benchmark::DoNotOptimize(sorae::RenderLandMask(swath, Outline()));
}
BENCHMARK(BM_LandMask)->Unit(benchmark::kMillisecond);

void BM_AlignToCoasts(benchmark::State& state) {
    const auto in = PassInputs();
    const auto picture = Picture();
    for (auto _ : state) benchmark::DoNotOptimize(sorae::AlignToCoasts(in, {picture, picture}, Outline()));
}
BENCHMARK(BM_AlignToCoasts)->Unit(benchmark::kMillisecond);

// Everything `decode --geo` adds: element set, swath, alignment, two GeoTIFFs.
void BM_PassGeoProducts(benchmark::State& state) {
    const auto picture = Picture();
    sorae::PictureBuffer buffer(1040, kRows);
    const int first = sorae::ImageAreaFirstColumn(true);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < sorae::kImageWords; ++c)
            for (int k = 0; k < 3; ++k)
                buffer.row(r)[(first + c) * 3 + k] = static_cast<std::uint8_t>(picture[std::size_t(r) * 909 + c]);
    const auto folder = std::filesystem::temp_directory_path() / "sorae-bench-geo";
    std::filesystem::create_directories(folder);
    sorae::PassGeoRequest rq;
    rq.satellite = "NOAA-19";
    rq.startUnixSeconds = kStart;
    rq.rows = kRows;
    rq.turned = true;
    rq.elementFile = bench::SourceFile("tests/data/noaa_2019-05-21.txt");
    rq.worldOutlineFile = bench::SourceFile("data/AllWorld.map");
    rq.pictures = {&buffer, &buffer};
    rq.jpegFiles = {(folder / "passA.jpg").string(), (folder / "passB.jpg").string()};
    for (auto _ : state) benchmark::DoNotOptimize(sorae::WritePassGeoProducts(rq));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PassGeoProducts)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
