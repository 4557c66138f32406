// The heading of a recorded pass from its element set: the real NOAA 19
// pass over Spain (northbound, as its picture shows), the same orbit's
// southbound half, and a stretch over the pole, whose times come from
// python3-sgp4 (latitude 17.4 -> 45.7 deg; -18.0 -> -35 deg; the highest
// latitude about 1230 s after the recording's start).
#include "orbit/pass_heading.h"

#include <gtest/gtest.h>

#include <optional>

using namespace sorae;

TEST(PassHeading, NorthboundSouthboundAndOverThePole) {
    OrbitalElements set;
    ParseElementLines(set, "NOAA 19", "1 33591U 09005A   19141.91882525 +.00000059 +00000-0 +57341-4 0  9999",
                      "2 33591 099.1790 132.3721 0015038 095.9926 264.2959 14.12352559529723");
    const auto orbit = Sgp4Propagator::fromElements(set, nullptr);
    ASSERT_TRUE(orbit.has_value());
    constexpr double kStart = 1558458124.0;  // 2019-05-21 17:02:04 UTC
    struct Case {
        double from, to;  // seconds after kStart
        std::optional<PassHeading> heading;
    };
    const Case cases[] = {
        {0.0, 488.0, PassHeading::Northbound},
        {3060.0, 3548.0, PassHeading::Southbound},
        {1100.0, 1400.0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_EQ(HeadingOverTime(*orbit, kStart + c.from, kStart + c.to), c.heading);
    }
}
