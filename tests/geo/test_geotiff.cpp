// The pass laid on a latitude/longitude grid and written as GeoTIFF: the
// resampled raster puts land where the outline has it, and an independent
// reader (listgeo of geotiff-bin) finds the georeference we meant.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "geo/geotiff_file.h"
#include "geo/land_mask.h"
#include "geo/plate_carree.h"
#include "geo/tie_points.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

TEST(PlateCarree, ResampledPassKeepsLandAndSeaInPlaceAndReadsBack) {
    const auto samples = test::ReferenceSamples("NOAA 19", 1558458124.0, 10, 100);
    if (samples.empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    const auto outline = LoadWorldOutline(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
    ASSERT_TRUE(outline);
    SwathInputs in;
    in.orbit = test::InterpolatedOrbit(samples);
    in.rowUnixSeconds = test::RowTimes(1558458124.0, 1200, true);
    in.turned = true;
    const auto swath = SwathGeolocation::build(in, nullptr);
    ASSERT_TRUE(swath);
    const auto mask = RenderLandMask(*swath, *outline);
    std::vector<float> picture(mask.begin(), mask.end());
    for (float& v : picture) v = v * 200.0f + 20.0f;  // land 220, sea 20

    const PlateCarreeRaster raster = ResampleToPlateCarree(*swath, picture);
    ASSERT_GT(raster.width, 100);
    auto at = [&](double lat, double lon) {
        const int x = static_cast<int>((lon - raster.westDeg) / raster.cellDeg);
        const int y = static_cast<int>((raster.northDeg - lat) / raster.cellDeg);
        return raster.values.at(std::size_t(y) * raster.width + x);
    };
    EXPECT_FLOAT_EQ(at(40.42, -3.70), 220.0f);   // Madrid
    EXPECT_FLOAT_EQ(at(38.0, -14.0), 20.0f);     // Atlantic
    EXPECT_FLOAT_EQ(at(30.0, -3.0), 220.0f);     // Morocco
    const auto nadir = *swath->subSatellitePoint(600);
    EXPECT_TRUE(std::isnan(at(nadir.latitudeDeg, nadir.longitudeDeg + 20)));  // beyond the swath

    const auto folder = std::filesystem::temp_directory_path() / "sorae-geotiff-test";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "pass.tif").string();
    GeoTiffGeoreference where{raster.westDeg, raster.northDeg, raster.cellDeg, {}, -9999.0, {}};
    std::vector<float> values = raster.values;
    for (float& v : values) if (std::isnan(v)) v = -9999.0f;
    std::string error;
    ASSERT_TRUE(WriteGeoTiff(path, raster.width, raster.height, values, where, &error)) << error;

    const std::string listing = test::RunCommand("listgeo -d " + path + " 2>&1");
    if (listing.find("Geotiff_Information") == std::string::npos) GTEST_SKIP() << "listgeo missing";
    EXPECT_NE(listing.find("GCS_WGS_84"), std::string::npos) << listing;
    EXPECT_NE(listing.find("ModelTypeGeographic"), std::string::npos);
    // the upper-left corner as listgeo reads it
    const auto ul = listing.find("Upper Left");
    ASSERT_NE(ul, std::string::npos) << listing;
    double lon = 0, lat = 0;
    ASSERT_EQ(std::sscanf(listing.c_str() + listing.find('(', ul), "( %lf, %lf)", &lon, &lat), 2) << listing;
    EXPECT_NEAR(lon, raster.westDeg, 1e-6);
    EXPECT_NEAR(lat, raster.northDeg, 1e-6);
    // the no-data tag is plain text in the file
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(bytes.find(std::string("-9999") + '\0'), std::string::npos);

    // the picture left in its own geometry, placed by tie points
    const auto ties = PictureTiePoints(*swath, 0, 300);
    ASSERT_EQ(ties.size(), 5u * 5u);  // columns 0 300 600 900 908, rows 0 300 600 900 1199
    const std::string tiedPath = (folder / "tied.tif").string();
    GeoTiffGeoreference tied;
    tied.tiePoints = ties;
    std::vector<std::uint8_t> grey(mask.size());
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = mask[i] ? 200 : 20;
    ASSERT_TRUE(WriteGeoTiff(tiedPath, 909, 1200, grey, tied, &error)) << error;
    const std::string tiedListing = test::RunCommand("listgeo " + tiedPath + " 2>&1");
    EXPECT_NE(tiedListing.find("ModelTiepointTag (50,3)"), std::string::npos) << tiedListing;
    // the last tie point as listgeo reads it: the bottom-right image word
    const auto g = swath->groundPoint({908, 1199});
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.3f", g->longitudeDeg);
    EXPECT_NE(tiedListing.find(expected), std::string::npos) << tiedListing;
    std::filesystem::remove(tiedPath);

    // a failed write leaves the old file and no temporary behind
    const auto before = std::filesystem::file_size(path);
    EXPECT_FALSE(WriteGeoTiff(path, 10, 10, std::vector<float>(5), where, &error));
    EXPECT_FALSE(WriteGeoTiff((folder / "missing" / "x.tif").string(), 2, 2, std::vector<std::uint8_t>(4), where, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace sorae

namespace sorae {
namespace {

// Across the antimeridian and over the pole the grid stays one piece: every
// ground point of the swath away from the pole finds its value.
TEST(PlateCarree, AntimeridianAndPoleLeaveNoHoles) {
    const auto samples = test::ReferenceSamples("NOAA 19", 1558458124.0 - 1800, 10, 720);
    if (samples.empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    for (const char* name : {"antimeridian", "pole"}) {
        SCOPED_TRACE(name);
        const double start = test::StartBefore(samples, std::string(name) == "pole");
        ASSERT_NE(start, 0);
        SwathInputs in;
        in.orbit = test::InterpolatedOrbit(samples);
        in.rowUnixSeconds = test::RowTimes(start, 600, false);
        const auto swath = SwathGeolocation::build(in, nullptr);
        ASSERT_TRUE(swath);
        const PlateCarreeRaster raster = ResampleToPlateCarree(*swath, std::vector<float>(909 * 600, 100.0f));
        ASSERT_GT(raster.width, 0);
        int missing = 0, checked = 0;
        for (int r = 5; r < 595; r += 10)
            for (int c = 5; c < 905; c += 10) {
                const GeoPoint g = *swath->groundPoint({double(c), double(r)});
                if (g.latitudeDeg > 88.0) continue;  // the cells around the pole itself stay empty
                double lon = g.longitudeDeg;
                while (lon < raster.westDeg) lon += 360.0;
                while (lon >= raster.westDeg + 360.0) lon -= 360.0;
                const int x = static_cast<int>((lon - raster.westDeg) / raster.cellDeg);
                const int y = static_cast<int>((raster.northDeg - g.latitudeDeg) / raster.cellDeg);
                ++checked;
                if (x >= raster.width || y >= raster.height ||
                    std::isnan(raster.values[std::size_t(y) * raster.width + x]))
                    ++missing;
            }
        EXPECT_GT(checked, 4000);
        EXPECT_EQ(missing, 0);
    }
}

}  // namespace
}  // namespace sorae
