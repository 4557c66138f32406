// The scan geometry against an independent propagator (python3-sgp4), the
// published AVHRR swath, and its own inverse, on the real NOAA 19 elements
// of 2019-05-21: the pass over Spain, a pass over the north pole and one
// across the antimeridian.
#include <gtest/gtest.h>

#include <cmath>

#include "geo/orbit_source.h"
#include "geo/plate_carree.h"
#include "geo/swath_geolocation.h"
#include "orbit/orbital_elements.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

using test::SurfaceKm;

constexpr double kPassStart = 1558458124.0;  // 2019-05-21 17:02:04 UTC

const std::vector<test::ReferenceSample>& Samples() {
    // two hours from half an hour before the pass, every 10 s
    static const auto samples = test::ReferenceSamples("NOAA 19", kPassStart - 1800, 10, 720);
    return samples;
}

std::optional<SwathGeolocation> Swath(double startUnix, int rows, bool turned,
                                      GeoreferenceOffsets offsets = {}, double wordLead = 0.0) {
    SwathInputs in;
    in.wordLeadWords = wordLead;
    in.orbit = test::InterpolatedOrbit(Samples());
    in.rowUnixSeconds = test::RowTimes(startUnix, rows, turned);
    in.turned = turned;
    in.offsets = offsets;
    std::string error;
    auto swath = SwathGeolocation::build(in, &error);
    EXPECT_TRUE(swath) << error;
    return swath;
}

class SwathGeometry : public ::testing::Test {
protected:
    void SetUp() override {
        if (Samples().empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    }
};

TEST_F(SwathGeometry, SubSatellitePointsAgreeWithTheIndependentPropagator) {
    const auto swath = Swath(kPassStart, 1200, false);
    ASSERT_TRUE(swath);
    for (const auto& s : Samples()) {
        const double row = (s.unix - kPassStart) / 0.5;
        if (row < 0 || row > 1199) continue;
        const auto p = swath->subSatellitePoint(row);
        ASSERT_TRUE(p);
        EXPECT_LT(SurfaceKm(*p, s.subPoint), 0.05) << "row " << row;
    }
}

// The AVHRR's +-55.4 degree scan spans about 2900 km of ground at 833 km
// (NOAA KLM User's Guide); NOAA 19 flies some 30 km higher, so a little
// more. The scan runs from the satellite's right to its left: column 0 of a
// picture as received lies east of the track on a northbound pass, west of
// it on a southbound one, and the other way once turned; the top row is
// where the pass began, the other end once turned.
struct SidesCase {
    const char* name;
    double secondsAfterPass;
    bool northbound;
    bool turned;
};

class SwathSides : public SwathGeometry, public ::testing::WithParamInterface<SidesCase> {};

TEST_P(SwathSides, WidthAndSidesFollowTheFlightAndTheTurn) {
    const SidesCase& c = GetParam();
    const auto swath = Swath(kPassStart + c.secondsAfterPass, 600, c.turned);
    ASSERT_TRUE(swath);
    const double row = 300;
    const auto left = swath->groundPoint({0, row});
    const auto right = swath->groundPoint({908, row});
    const auto nadir = swath->subSatellitePoint(row);
    ASSERT_TRUE(left && right && nadir);
    const double width = SurfaceKm(*left, *right);
    EXPECT_GT(width, 2880.0);
    EXPECT_LT(width, 3100.0);
    // the middle of the line is the nadir, the two ends equally far from it
    EXPECT_LT(SurfaceKm(*swath->groundPoint({454, row}), *nadir), 2.0);
    EXPECT_NEAR(SurfaceKm(*left, *nadir), SurfaceKm(*right, *nadir), 3.0);
    // east of the nadir, across the antimeridian too
    const double east = std::remainder(left->longitudeDeg - nadir->longitudeDeg, 360.0);
    EXPECT_EQ(east > 0.0, c.northbound != c.turned) << east;
    const auto top = swath->subSatellitePoint(0), bottom = swath->subSatellitePoint(599);
    EXPECT_EQ(top->latitudeDeg > bottom->latitudeDeg, c.northbound == c.turned);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, SwathSides,
                         ::testing::Values(SidesCase{"NorthOverSpain", 120.0, true, false},
                                           SidesCase{"NorthOverSpainTurned", 120.0, true, true},
                                           SidesCase{"SouthOverThePacific", 2300.0, false, false},
                                           SidesCase{"SouthOverThePacificTurned", 2300.0, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SwathGeometry, InterpolationStaysWellInsideAPixel) {
    const auto swath = Swath(kPassStart, 1400, false, {0.0, 0.3, 0.2, 0.1});
    ASSERT_TRUE(swath);
    double worst = 0.0;
    for (int r = 0; r < 1400; r += 37)
        for (double c = 0.0; c <= 908.0; c += 11.3) {
            const auto a = swath->groundPoint({c, r + 0.25});
            const auto b = swath->exactGroundPoint({c, r + 0.25});
            ASSERT_TRUE(a && b);
            worst = std::max(worst, SurfaceKm(*a, *b));
        }
    // an APT word is 3 to 4 km of ground; a tenth of it is the budget
    EXPECT_LT(worst, 0.3);
}

struct RoundTripCase {
    const char* name;
    double startOffset;  // seconds from the pass start
    bool turned;
    GeoreferenceOffsets offsets;
    double wordLead = 0.0;  // of decoded words before the words as sent
};

class RoundTrip : public SwathGeometry, public ::testing::WithParamInterface<RoundTripCase> {};

// Over Spain both ways up, with attitude offsets, over the north pole and
// across the antimeridian (found from the reference track itself).
TEST_P(RoundTrip, PictureToGroundAndBack) {
    const RoundTripCase& rc = GetParam();
    double start = kPassStart + rc.startOffset;
    if (std::string(rc.name) == "pole" || std::string(rc.name) == "antimeridian") {
        const auto& s = Samples();
        for (std::size_t i = 1; i < s.size(); ++i) {
            const bool found = std::string(rc.name) == "pole"
                                   ? (s[i].subPoint.latitudeDeg < s[i - 1].subPoint.latitudeDeg &&
                                      s[i - 1].subPoint.latitudeDeg > 70)
                                   : (s[i].subPoint.longitudeDeg - s[i - 1].subPoint.longitudeDeg > 300 ||
                                      s[i - 1].subPoint.longitudeDeg - s[i].subPoint.longitudeDeg > 300);
            if (found) { start = s[i].unix - 180; break; }
        }
    }
    const auto swath = Swath(start, 720, rc.turned, rc.offsets, rc.wordLead);
    ASSERT_TRUE(swath);
    // Words that lead the sent ones show what lies that far on along the
    // scan: further right in a picture as received, further left turned.
    if (rc.wordLead != 0.0) {
        const auto exact = Swath(start, 720, rc.turned, rc.offsets);
        const double scanward = rc.turned ? -rc.wordLead : rc.wordLead;
        for (double c : {0.0, 454.0, 907.0}) {
            const auto a = swath->exactGroundPoint({c, 200.0}), b = exact->exactGroundPoint({c + scanward, 200.0});
            ASSERT_TRUE(a && b);
            EXPECT_LT(SurfaceKm(*a, *b), 0.01) << c;
        }
    }
    double worst = 0.0;
    for (double r : {0.0, 1.5, 359.7, 718.0, 719.0})
        for (double c : {0.0, 0.4, 100.0, 454.0, 700.2, 907.5, 908.0}) {
            const auto g = swath->groundPoint({c, r});
            ASSERT_TRUE(g);
            const auto back = swath->picturePoint(*g);
            ASSERT_TRUE(back) << c << "," << r << " -> " << g->latitudeDeg << "," << g->longitudeDeg;
            worst = std::max({worst, std::abs(back->column - c), std::abs(back->row - r)});
        }
    EXPECT_LT(worst, 0.05);
    // neighbouring words stay neighbours on the ground everywhere (no jump
    // at the antimeridian or the pole)
    for (double c = 0; c < 908; c += 1) {
        const auto a = swath->groundPoint({c, 360}), b = swath->groundPoint({c + 1, 360});
        EXPECT_LT(SurfaceKm(*a, *b), 7.0) << c;
    }
    if (std::string(rc.name) == "pole") {
        const auto pole = swath->picturePoint({90.0, 0.0});
        ASSERT_TRUE(pole);
        EXPECT_GT(swath->groundPoint(*pole)->latitudeDeg, 89.99);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Passes, RoundTrip,
    ::testing::Values(RoundTripCase{"spain", 60, false, {}},
                      RoundTripCase{"spain_turned", 60, true, {}},
                      RoundTripCase{"decoded", 60, false, {}, 0.33},
                      RoundTripCase{"decoded_turned", 60, true, {0.0, 0.2, 0.0, 0.0}, 0.33},
                      RoundTripCase{"attitude", 60, true, {1.5, -0.4, 0.3, 0.5}},
                      RoundTripCase{"pole", 0, false, {}},
                      RoundTripCase{"antimeridian", 0, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SwathGeometry, TheProgramsOwnPropagatorPlacesTheSwathAlike) {
    ElementSetArray sets;
    int count = 0;
    ASSERT_EQ(ReadElementFile(sets, count, test::GeoDataFile("noaa_2019-05-21.txt")), 0);
    ASSERT_EQ(count, 2);
    const auto propagator = Sgp4Propagator::fromElements(sets[1], nullptr);
    ASSERT_TRUE(propagator);
    SwathInputs in;
    in.orbit = OrbitFromPropagator(*propagator);
    in.rowUnixSeconds = test::RowTimes(kPassStart, 1200, true);
    in.turned = true;
    const auto own = SwathGeolocation::build(in, nullptr);
    const auto reference = Swath(kPassStart, 1200, true);
    ASSERT_TRUE(own && reference);
    for (double r : {0.0, 600.0, 1199.0})
        for (double c : {0.0, 454.0, 908.0})
            EXPECT_LT(SurfaceKm(*own->groundPoint({c, r}), *reference->groundPoint({c, r})), 0.1);
}

TEST_F(SwathGeometry, PlacesOffTheSwathAndBadInputs) {
    const auto swath = Swath(kPassStart + 60, 600, false);
    ASSERT_TRUE(swath);
    const auto nadir = *swath->subSatellitePoint(300);
    // 25 degrees of longitude beside the track, the antipode, before the first line
    EXPECT_FALSE(swath->picturePoint({nadir.latitudeDeg, nadir.longitudeDeg + 25}));
    EXPECT_FALSE(swath->picturePoint({-nadir.latitudeDeg, nadir.longitudeDeg + 180}));
    const auto first = *swath->subSatellitePoint(0);
    EXPECT_FALSE(swath->picturePoint({first.latitudeDeg - 0.5, first.longitudeDeg}));
    EXPECT_FALSE(swath->picturePoint({NAN, 0}));
    EXPECT_FALSE(swath->groundPoint({909.0, 10}));
    EXPECT_FALSE(swath->groundPoint({10, -1.0}));

    std::string error;
    SwathInputs in;
    in.orbit = test::InterpolatedOrbit(Samples());
    in.rowUnixSeconds = {NAN, kPassStart, NAN};
    EXPECT_FALSE(SwathGeolocation::build(in, &error));
    EXPECT_FALSE(error.empty());
    in.rowUnixSeconds = {kPassStart + 1e7, kPassStart + 1e7 + 0.5};  // beyond the orbit samples
    EXPECT_FALSE(SwathGeolocation::build(in, &error));
    // unknown times inside and at the ends are filled from the known ones
    for (const std::vector<double>& times : {std::vector<double>{kPassStart, NAN, NAN, kPassStart + 1.5},
                                             std::vector<double>{NAN, kPassStart + 0.5, kPassStart + 1.0, NAN}}) {
        in.rowUnixSeconds = times;
        const auto filled = SwathGeolocation::build(in, &error);
        ASSERT_TRUE(filled) << error;
        EXPECT_NEAR(SurfaceKm(*filled->subSatellitePoint(1), *filled->subSatellitePoint(2)), 3.3, 0.3);
        EXPECT_NEAR(SurfaceKm(*filled->subSatellitePoint(0), *filled->subSatellitePoint(3)), 9.9, 0.6);
    }
}

// A recording that lost 60 s of sound after row 299, both ways up: each
// side is placed by its own times, as a swath of that side alone places it;
// a place in between shows in no row, and the plate carree leaves it empty
// instead of stretching the rows either side over it.
TEST_F(SwathGeometry, SoundLostMidwayLeavesAHoleNotAStretch) {
    constexpr int kRows = 600;
    constexpr double kLost = 60.0;
    for (bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned" : "as received");
        SwathInputs in;
        in.orbit = test::InterpolatedOrbit(Samples());
        in.turned = turned;
        in.rowUnixSeconds = test::RowTimes(kPassStart + 60, kRows, turned);
        // the rows received after the loss, on top once turned
        for (int r = 0; r < kRows; ++r)
            if ((r >= kRows / 2) != turned) in.rowUnixSeconds[std::size_t(r)] += kLost;
        // a row on either side whose time is unknown: filled from its own side
        in.rowUnixSeconds[std::size_t(kRows / 2 - 1)] = in.rowUnixSeconds[std::size_t(kRows / 2)] = NAN;
        std::string error;
        const auto swath = SwathGeolocation::build(in, &error);
        ASSERT_TRUE(swath) << error;
        EXPECT_EQ(swath->breaksAfter(), std::vector<int>{kRows / 2 - 1});
        EXPECT_TRUE(swath->spansBreak(kRows / 2 - 1, kRows / 2));
        EXPECT_FALSE(swath->spansBreak(kRows / 2, kRows / 2 + 16));

        // Each side as a swath of its own rows alone.
        const double lastBefore = kPassStart + 60 + 0.5 * (kRows / 2 - 1), firstAfter = lastBefore + 0.5 + kLost;
        const auto early = Swath(lastBefore - 0.5 * 99, 100, false), late = Swath(firstAfter, 100, false);
        ASSERT_TRUE(early && late);
        for (const double beside : {0.0, 0.4, 1.0, 15.0}) {
            // rows counted from the break, on the side received first and on the other
            const double first = turned ? kRows / 2 + beside : kRows / 2 - 1 - beside;
            const double second = turned ? kRows / 2 - 1 - beside : kRows / 2 + beside;
            for (const double column : {0.0, 454.0, 908.0}) {
                const double scan = turned ? 908.0 - column : column;
                const auto a = swath->groundPoint({column, first}), b = swath->groundPoint({column, second});
                ASSERT_TRUE(a && b) << beside;
                EXPECT_LT(SurfaceKm(*a, *early->groundPoint({scan, 99.0 - beside})), 0.3) << beside << " " << column;
                EXPECT_LT(SurfaceKm(*b, *late->groundPoint({scan, beside})), 0.3) << beside << " " << column;
                // and back: a row's place is found in that row
                EXPECT_NEAR(swath->picturePoint(*a)->row, first, 0.05);
                EXPECT_NEAR(swath->picturePoint(*b)->row, second, 0.05);
            }
        }
        // The nadir half-way through the lost minute lies in no row.
        const auto lost = Swath(lastBefore + 0.5 * kLost, 2, false)->subSatellitePoint(0.0);
        ASSERT_TRUE(lost);
        EXPECT_FALSE(swath->picturePoint(*lost));

        std::vector<float> picture(std::size_t(kImageWords) * kRows, 100.0f);
        const PlateCarreeRaster raster = ResampleToPlateCarree(*swath, picture);
        auto at = [&](GeoPoint g) {
            const int x = int((g.longitudeDeg - raster.westDeg) / raster.cellDeg);
            const int y = int((raster.northDeg - g.latitudeDeg) / raster.cellDeg);
            return raster.values[std::size_t(y) * raster.width + x];
        };
        EXPECT_TRUE(std::isnan(at(*lost)));
        EXPECT_EQ(at(*early->subSatellitePoint(50.0)), 100.0f);
        EXPECT_EQ(at(*late->subSatellitePoint(50.0)), 100.0f);
    }
}

}  // namespace
}  // namespace sorae
