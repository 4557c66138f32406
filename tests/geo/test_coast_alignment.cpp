// Finding the clock error and the roll from the coasts: a pass drawn from
// the world outline with its clock and its scan off is pulled back to where
// it was drawn, both ways up, northbound over Spain and southbound over the
// Bering Strait (across the antimeridian); a pass under cloud keeps its
// time, and so does one whose clock is further off than the search, saying
// so.
#include <gtest/gtest.h>

#include <random>

#include "geo/coast_alignment.h"
#include "geo/land_mask.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

constexpr double kRealPassStart = 1558458124.0;  // NOAA 19 over Spain, 2019-05-21 17:02:04 UTC
constexpr double kOverSpain = 60.0, kOverTheBeringStrait = 1450.0;  // seconds after it

struct Misplacement {
    double seconds;
    double rollDeg;
    bool withinSearch = true;
    double secondsAfterPass = kOverSpain;
};

class CoastAlignment : public ::testing::TestWithParam<Misplacement> {};

// A roll moves the coasts at the swath's edges by about four times as many
// words as near nadir; a fit that took it for one column shift would find
// the wrong roll wherever the coasts lie mostly to one side.
TEST_P(CoastAlignment, FindsTheClockErrorAndRollAndRefusesCloud) {
    const Misplacement& drawn = GetParam();
    const double start = kRealPassStart + drawn.secondsAfterPass;
    const auto samples = test::ReferenceSamples("NOAA 19", start - 60.0, 10, 100);
    if (samples.empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    const auto outline = LoadWorldOutline(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
    ASSERT_TRUE(outline);
    for (bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned" : "as received");
        SwathInputs truth;
        truth.orbit = test::InterpolatedOrbit(samples);
        truth.rowUnixSeconds = test::RowTimes(start, 800, turned);
        truth.turned = turned;
        truth.offsets.timeSeconds = drawn.seconds;
        truth.offsets.rollDeg = drawn.rollDeg;
        const auto swath = SwathGeolocation::build(truth, nullptr);
        ASSERT_TRUE(swath);
        const auto mask = RenderLandMask(*swath, *outline);
        std::mt19937 random(7);
        std::normal_distribution<float> noise(0.0f, 12.0f);
        std::vector<float> visible(mask.size()), infrared(mask.size()), cloud(mask.size());
        for (std::size_t i = 0; i < mask.size(); ++i) {
            visible[i] = (mask[i] ? 150.0f : 40.0f) + noise(random);
            infrared[i] = (mask[i] ? 90.0f : 120.0f) + noise(random);  // warm land is darker
            cloud[i] = 220.0f + noise(random);
        }
        SwathInputs given = truth;
        given.offsets = {};
        const AlignmentResult found = AlignToCoasts(given, {visible, infrared}, *outline);
        EXPECT_NEAR(found.timeOffsetSeconds, drawn.seconds, 0.3) << found.text;
        EXPECT_NEAR(found.rollDeg, drawn.rollDeg, 0.03);
        EXPECT_EQ(found.applied, drawn.withinSearch) << found.text;
        if (!drawn.withinSearch) EXPECT_NE(found.text.find("s searched either way"), std::string::npos) << found.text;
        const AlignmentResult clouded = AlignToCoasts(given, {cloud, cloud}, *outline);
        EXPECT_FALSE(clouded.applied) << clouded.text;
        EXPECT_EQ(clouded.text.rfind("kept: ", 0), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(ClockAndScan, CoastAlignment,
                         ::testing::Values(Misplacement{3.0, 0.0}, Misplacement{-2.0, 0.25},
                                           Misplacement{0.0, -0.3}, Misplacement{10.6, 0.0, false},
                                           Misplacement{2.5, -0.2, true, kOverTheBeringStrait}));

}  // namespace
}  // namespace sorae
