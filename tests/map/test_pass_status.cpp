// Azimuth and elevation seen from the station, and the current-pass line.
#include <gtest/gtest.h>

#include "map/pass_status.h"
#include "orbit/day_time.h"
#include "orbit/pass_table.h"

namespace sorae {
namespace {

constexpr double kDeg = 3.141592653589793 / 180.0;

TEST(LookAngles, CompassPointsAndZenith) {
    struct Case {
        double stationLat, stationLon, satLat, satLon, az;
    };
    for (const Case c : {Case{0, 0, 10, 0, 0.0}, Case{0, 0, 0, 10, 90.0}, Case{0, 0, -10, 0, 180.0},
                         Case{0, 0, 0, -10, 270.0}, Case{35.69, 139.69, 45.0, 139.69, 0.0},
                         Case{35.69, 139.69, 25.0, 139.69, 180.0}}) {
        const LookAngles a =
            ComputeLookAngles(c.satLat * kDeg, c.satLon * kDeg, 850.0, c.stationLat, c.stationLon);
        // Shown with one decimal: the value rounds to the compass point.
        EXPECT_EQ(FormatFixed(a.azimuthDeg == 360.0 ? 0.0 : a.azimuthDeg, 1), FormatFixed(c.az, 1))
            << c.satLat << "," << c.satLon << " az " << a.azimuthDeg;
        EXPECT_GE(a.azimuthDeg, 0.0);
        EXPECT_LT(a.azimuthDeg, 360.0);
        EXPECT_GT(a.elevationDeg, 0.0);
    }
    // Due east from the equator at 90 deg on the Pacific side too (no quadrant slip).
    EXPECT_NEAR(ComputeLookAngles(0.0, 179.0 * kDeg, 850.0, 0.0, 170.0).azimuthDeg, 90.0, 1e-6);

    const LookAngles overhead = ComputeLookAngles(35.0 * kDeg, 139.0 * kDeg, 850.0, 35.0, 139.0);
    EXPECT_EQ(FormatFixed(overhead.elevationDeg, 1), "90.0");
    // A satellite 40 degrees of arc away at 850 km is below the horizon: 0.
    EXPECT_EQ(ComputeLookAngles(40.0 * kDeg, 0.0, 850.0, 0.0, 0.0).elevationDeg, 0.0);
    // 10 degrees of arc away at 850 km: atan((cos 10 - Ro/Rs) / sin 10) with
    // Ro = 6367.8045 and Rs = 7217.4445 gives 30.56 degrees.
    EXPECT_NEAR(ComputeLookAngles(10.0 * kDeg, 0.0, 850.0, 0.0, 0.0).elevationDeg, 30.56, 0.01);
}

TEST(PassStatusLine, ExactText) {
    PassInfo pass;
    pass.satellite = "NOAA-19";
    pass.frequencyMHz = 137.1;
    pass.start = EncodeDayTime(2019, 1, 25, 12, 0, 5);
    pass.end = EncodeDayTime(2019, 1, 25, 12, 15, 40);
    pass.direction = 1;
    pass.maximumElevationDeg = 62.0;
    LookAngles a;
    a.azimuthDeg = 200.54;
    a.elevationDeg = 31.2;
    EXPECT_EQ(PassStatusLine(pass, a),
              "現在通過中: NOAA-19 137.1000MHz 12:00:05>12:15:40 S>N AZA:200.5 ELV:31.2/62.0");
    pass.direction = 0;
    pass.maximumElevationDeg = 8.25;
    a.elevationDeg = 0.0;
    EXPECT_EQ(PassStatusLine(pass, a),
              "現在通過中: NOAA-19 137.1000MHz 12:00:05>12:15:40 N>S AZA:200.5 ELV:0.0/8.2");
}

}  // namespace
}  // namespace sorae
