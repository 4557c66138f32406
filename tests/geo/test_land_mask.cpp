// Land and sea in picture geometry from the shipped world outline, on the
// real NOAA 19 pass over Spain: known places come out right, whichever way
// up the picture is saved.
#include <gtest/gtest.h>

#include "geo/land_mask.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

struct Place {
    const char* name;
    GeoPoint where;
    bool land;
};

TEST(LandMask, KnownPlacesOfThePassOverSpain) {
    const auto samples = test::ReferenceSamples("NOAA 19", 1558458124.0, 10, 100);
    if (samples.empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    const auto outline = LoadWorldOutline(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
    ASSERT_TRUE(outline);
    const Place places[] = {
        {"Madrid", {40.42, -3.70}, true},          {"Sahara", {29.0, -3.0}, true},
        {"Atlantic", {38.0, -14.0}, false},        {"Balearic Sea", {40.0, 2.5}, false},
        {"Majorca", {39.62, 2.95}, true},          {"Bay of Biscay", {45.0, -4.0}, false},
        {"Strait of Gibraltar", {35.97, -5.60}, false}, {"Tangier hinterland", {35.55, -5.60}, true},
    };
    for (bool turned : {false, true}) {
        SwathInputs in;
        in.orbit = test::InterpolatedOrbit(samples);
        in.rowUnixSeconds = test::RowTimes(1558458124.0, 1400, turned);
        in.turned = turned;
        const auto swath = SwathGeolocation::build(in, nullptr);
        ASSERT_TRUE(swath);
        const auto mask = RenderLandMask(*swath, *outline);
        ASSERT_EQ(mask.size(), std::size_t(909) * 1400);
        for (const Place& p : places) {
            const auto at = swath->picturePoint(p.where);
            ASSERT_TRUE(at) << p.name;
            const int c = static_cast<int>(std::lround(at->column));
            const int r = static_cast<int>(std::lround(at->row));
            EXPECT_EQ(mask[std::size_t(r) * 909 + c] == 1, p.land) << p.name << (turned ? " turned" : "");
        }
    }
}

}  // namespace
}  // namespace sorae
