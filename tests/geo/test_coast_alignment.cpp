// Finding the clock error from the coasts: a pass drawn from the world
// outline 3 s later than its line times say is pulled back by 3 s, and a
// pass under cloud keeps its time.
#include <gtest/gtest.h>

#include <random>

#include "geo/coast_alignment.h"
#include "geo/land_mask.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

TEST(CoastAlignment, FindsAClockErrorAndRefusesCloud) {
    const auto samples = test::ReferenceSamples("NOAA 19", 1558458124.0, 10, 100);
    if (samples.empty()) GTEST_SKIP() << "python3-sgp4 is not installed";
    const auto outline = LoadWorldOutline(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
    ASSERT_TRUE(outline);
    for (bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned" : "as received");
        SwathInputs truth;
        truth.orbit = test::InterpolatedOrbit(samples);
        truth.rowUnixSeconds = test::RowTimes(1558458124.0 + 60, 800, turned);
        truth.turned = turned;
        truth.offsets.timeSeconds = 3.0;
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
        given.offsets.timeSeconds = 0.0;
        const AlignmentResult found = AlignToCoasts(given, {visible, infrared}, *outline);
        EXPECT_TRUE(found.applied) << found.text;
        EXPECT_NEAR(found.timeOffsetSeconds, 3.0, 0.3) << found.text;
        EXPECT_NEAR(found.rollDeg, 0.0, 0.03);
        const AlignmentResult clouded = AlignToCoasts(given, {cloud, cloud}, *outline);
        EXPECT_FALSE(clouded.applied) << clouded.text;
        EXPECT_EQ(clouded.text.rfind("kept: ", 0), 0u);
    }
}

}  // namespace
}  // namespace sorae
