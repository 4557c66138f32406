// The polar stereographic grids: PROJ's projection against the closed-form
// equations (Snyder, "Map Projections: A Working Manual", 1987, eq. 14-15,
// 15-9, 21-33, 21-34), a pass over the North Pole laid on the grid without
// a hole, and the GeoTIFF's projected georeference as listgeo reads it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "geo/geotiff_file.h"
#include "geo/polar_stereographic.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kA = 6378137.0;                   // WGS84
constexpr double kE = 0.0818191908426215;          // first eccentricity of WGS84

// Snyder's polar stereographic with a standard parallel; south by reversing signs.
std::pair<double, double> Snyder(double latDeg, double lonDeg, double latTsDeg, double lon0Deg) {
    const bool south = latTsDeg < 0;
    const double s = south ? -1.0 : 1.0;
    const double phi = s * latDeg * kPi / 180, phiC = s * latTsDeg * kPi / 180;
    const double dl = s * (lonDeg - lon0Deg) * kPi / 180;
    auto t = [](double p) {
        return std::tan(kPi / 4 - p / 2) / std::pow((1 - kE * std::sin(p)) / (1 + kE * std::sin(p)), kE / 2);
    };
    const double mC = std::cos(phiC) / std::sqrt(1 - kE * kE * std::sin(phiC) * std::sin(phiC));
    const double rho = kA * mC * t(phi) / t(phiC);
    return {s * rho * std::sin(dl), -s * rho * std::cos(dl)};
}

TEST(PolarStereographic, ProjectionMatchesTheClosedFormOnBothGrids) {
    struct Case {
        int epsg;
        double lat, lon, latTs, lon0;
    };
    for (const Case& c : {Case{3413, 90.0, 10.0, 70.0, -45.0}, Case{3413, 70.0, -45.0, 70.0, -45.0},
                          Case{3413, 75.3, 120.7, 70.0, -45.0}, Case{3413, 41.0, -3.7, 70.0, -45.0},
                          Case{3031, -71.0, 0.0, -71.0, 0.0}, Case{3031, -80.5, 95.0, -71.0, 0.0},
                          Case{3031, -60.0, -150.0, -71.0, 0.0}}) {
        SCOPED_TRACE(testing::Message() << c.epsg << " " << c.lat << " " << c.lon);
        const auto got = PolarStereographicXY(c.epsg, {c.lat, c.lon});
        ASSERT_TRUE(got);
        const auto want = Snyder(c.lat, c.lon, c.latTs, c.lon0);
        EXPECT_NEAR(got->first, want.first, 0.01);
        EXPECT_NEAR(got->second, want.second, 0.01);
    }
    EXPECT_FALSE(PolarStereographicXY(4326, {10.0, 10.0}));
}

TEST(PolarStereographic, PassOverThePoleLiesOnTheGridWholeAndReadsBack) {
    const auto samples = test::ReferenceSamples("NOAA 19", 1558458124.0 - 1800, 10, 720);
    if (samples.empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    const double start = test::StartBefore(samples, true);
    ASSERT_NE(start, 0);
    SwathInputs in;
    in.orbit = test::InterpolatedOrbit(samples);
    in.rowUnixSeconds = test::RowTimes(start, 600, false);
    const auto swath = SwathGeolocation::build(in, nullptr);
    ASSERT_TRUE(swath);
    // ramps across and down the picture, so every value says where it came from
    std::vector<float> columns(std::size_t(909) * 600), rows(columns.size());
    for (int r = 0; r < 600; ++r)
        for (int c = 0; c < 909; ++c) columns[std::size_t(r) * 909 + c] = float(c), rows[std::size_t(r) * 909 + c] = float(r);
    std::string error;
    const auto raster = ResampleToPolarStereographic(*swath, columns, &error);
    const auto rowRaster = ResampleToPolarStereographic(*swath, rows, &error);
    ASSERT_TRUE(raster && rowRaster) << error;
    EXPECT_EQ(raster->epsg, 3413);
    int missing = 0, checked = 0;
    for (int r = 5; r < 595; r += 10)
        for (int c = 5; c < 905; c += 10) {
            const GeoPoint g = *swath->groundPoint({double(c), double(r)});
            const auto xy = Snyder(g.latitudeDeg, g.longitudeDeg, 70.0, -45.0);
            const int x = static_cast<int>(std::floor((xy.first - raster->westMetres) / raster->cellMetres));
            const int y = static_cast<int>(std::floor((raster->northMetres - xy.second) / raster->cellMetres));
            ASSERT_TRUE(x >= 0 && y >= 0 && x < raster->width && y < raster->height);
            const std::size_t cell = std::size_t(y) * raster->width + x;
            ++checked;
            if (std::isnan(raster->values[cell])) {
                ++missing;
                continue;
            }
            // the cell's centre is within half a cell's diagonal (2.8 km) of the point
            EXPECT_NEAR(raster->values[cell], c, 2.0) << c << " " << r;
            EXPECT_NEAR(rowRaster->values[cell], r, 1.0) << c << " " << r;
        }
    EXPECT_EQ(missing, 0) << "of " << checked;

    const auto folder = std::filesystem::temp_directory_path() / ("sorae-polar-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "pole.tif").string();
    GeoTiffGeoreference where;
    where.projected = GeoTiffGeoreference::ProjectedGrid{raster->epsg, raster->westMetres, raster->northMetres,
                                                         raster->cellMetres};
    ASSERT_TRUE(WriteGeoTiff(path, raster->width, raster->height, raster->values, where, &error)) << error;
    const std::string listing = test::RunCommand("listgeo -d " + path + " 2>&1");
    std::filesystem::remove_all(folder);
    if (listing.find("Geotiff_Information") == std::string::npos) GTEST_SKIP() << "listgeo missing";
    EXPECT_NE(listing.find("ModelTypeProjected"), std::string::npos) << listing;
    EXPECT_NE(listing.find("3413"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Linear_Meter"), std::string::npos) << listing;
    const auto ul = listing.find("Upper Left");
    ASSERT_NE(ul, std::string::npos) << listing;
    double x = 0, y = 0;
    ASSERT_EQ(std::sscanf(listing.c_str() + listing.find('(', ul), "( %lf, %lf)", &x, &y), 2) << listing;
    EXPECT_NEAR(x, raster->westMetres, 0.01);
    EXPECT_NEAR(y, raster->northMetres, 0.01);
}

}  // namespace
}  // namespace sorae
