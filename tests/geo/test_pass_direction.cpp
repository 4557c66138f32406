// The direction a pass was flown, from the orbit, against the way its
// pictures were saved: the real NOAA 19 pass of 2019-05-21 went north over
// Spain, crossed the pole twenty minutes after the recording began and came
// south on the night side.
#include <gtest/gtest.h>

#include "geo/pass_direction.h"
#include "geo/pass_products.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

constexpr double kRealPassStart = 1558458124.0;  // 2019-05-21 17:02:04 UTC

struct Window {
    const char* name;
    double secondsAfterRealPass;
    OrbitDirection flown;
};

class PassDirection : public ::testing::TestWithParam<Window> {};

TEST_P(PassDirection, NotesOnlyPicturesSavedTheOtherWayUp) {
    const Window& w = GetParam();
    for (bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "saved as S>N" : "saved as N>S");
        PassGeoRequest rq;
        rq.satellite = "NOAA-19";
        rq.startUnixSeconds = kRealPassStart + w.secondsAfterRealPass;
        rq.rows = 900;
        rq.turned = turned;
        rq.elementFile = test::GeoDataFile("noaa_2019-05-21.txt");
        std::string message;
        const auto inputs = PassSwathInputs(rq, &message);
        ASSERT_TRUE(inputs) << message;
        EXPECT_EQ(DirectionOfPass(*inputs), w.flown);
        const bool upsideDown = (w.flown == OrbitDirection::Northbound && !turned) ||
                                (w.flown == OrbitDirection::Southbound && turned);
        const auto note = PassDirectionNote(*inputs);
        EXPECT_EQ(note.has_value(), upsideDown);
        if (note) {
            EXPECT_NE(note->find(w.flown == OrbitDirection::Northbound ? "S>N" : "N>S"), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealElements, PassDirection,
                         ::testing::Values(Window{"NorthOverSpain", 0.0, OrbitDirection::Northbound},
                                           Window{"OverTheNorthPole", 1000.0, OrbitDirection::Unclear},
                                           Window{"SouthOnTheNightSide", 2400.0, OrbitDirection::Southbound}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sorae
