// Day numbers, epochs, the search clock, station time and the observer geometry.
#include "orbit/day_time.h"
#include "orbit/look_angles.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sorae;

TEST(DayNumbers, EpochsAndRoundTrips)
{
    const EpochDate a = EpochToCalendar(10287.5);
    EXPECT_EQ(a.date, (CalendarDate{2010, 10, 14}));
    EXPECT_DOUBLE_EQ(a.dayFraction, 0.5);
    EXPECT_EQ(EpochToCalendar(57001.0).date, (CalendarDate{1957, 1, 1}));
    EXPECT_EQ(EpochToCalendar(56366.0).date, (CalendarDate{2056, 12, 31}));
    EXPECT_EQ(EpochToCalendar(20060.25).date, (CalendarDate{2020, 2, 29}));

    EXPECT_EQ(JulianDayNumber(2000, 1, 1), 2451545);
    EXPECT_EQ(CalendarFromDayNumber(2451545), (CalendarDate{2000, 1, 1}));
    // Every day from 1950 to 2060 converts back to itself and follows its predecessor.
    const long first = JulianDayNumber(1950, 1, 1);
    const long last = JulianDayNumber(2060, 12, 31);
    CalendarDate previous = CalendarFromDayNumber(first - 1);
    for (long d = first; d <= last; ++d) {
        const CalendarDate c = CalendarFromDayNumber(d);
        ASSERT_EQ(JulianDayNumber(c.year, c.month, c.day), d);
        const bool nextDay = c.year == previous.year && c.month == previous.month && c.day == previous.day + 1;
        const bool nextMonth = c.day == 1 && (c.month == previous.month + 1 || (c.month == 1 && previous.month == 12));
        ASSERT_TRUE(nextDay || nextMonth) << d;
        previous = c;
    }
}

TEST(SearchClock, MinutesSinceEpochAndMidnight)
{
    // Epoch 2010-10-14 12:00 UT; now 2010-10-15 00:00:30 UT.
    EXPECT_DOUBLE_EQ(MinutesSinceEpoch(10287.5, UtcInstant{2010, 10, 15, 0, 0, 30}), 720.5);
    EXPECT_DOUBLE_EQ(MinutesSinceEpoch(10287.5, UtcInstant{2010, 10, 13, 12, 0, 0}), -1440.0);

    UtClock clock = UtClock::start(UtcInstant{2010, 10, 14, 23, 59, 59});
    const long day = clock.dayNumber;
    clock.advanceHours((1.0 / 60.0) / 60.0);
    EXPECT_EQ(clock.dayNumber, day + 1);
    EXPECT_GE(clock.hours, 0.0);
    EXPECT_LT(clock.hours, 1e-6);
}

TEST(StationTime, NineHoursAheadAndTruncated)
{
    const DayTime t = LocalStationTime(2010, 10, 14, 15.5);
    EXPECT_EQ(FormatDateTime(t), "2010/10/15 00:30:00");
    EXPECT_EQ(t, EncodeDayTime(2010, 10, 15, 0, 30, 0));
    // 12:34:56.9 keeps its whole seconds only.
    const double hours = 12.0 + 34.0 / 60.0 + 56.9 / 3600.0;
    EXPECT_EQ(FormatDateTime(LocalStationTime(2019, 1, 24, hours)), "2019/01/24 21:34:56");
    EXPECT_EQ(FormatTimeOfDay(LocalStationTime(2019, 12, 31, 23.999999)), "08:59:59");
    EXPECT_EQ(FormatDateTime(kNoSkippedPass), "1990/01/01 00:00:00");
    // Thirty minutes apart in station time, as the pass-length check sees it.
    const DayTime a = EncodeDayTime(2019, 1, 24, 10, 0, 0);
    const DayTime b = EncodeDayTime(2019, 1, 24, 10, 30, 0);
    EXPECT_FALSE(b.days - a.days < kThirtyMinutesDays);
    EXPECT_TRUE(EncodeDayTime(2019, 1, 24, 10, 29, 59).days - a.days < kThirtyMinutesDays);
}

TEST(LookAngles, SiderealTimeAndRotation)
{
    // Mean sidereal time at 2000-01-01 0h UT is 6h 39m 52.27s (Astronomical
    // Almanac); the polynomial's constant belongs to noon of that day.
    const double gmst0 = GreenwichSiderealTime(2000, 1, 1, 0.0);
    EXPECT_NEAR(gmst0, (6.0 + 39.0 / 60.0 + 52.27 / 3600.0) * M_PI / 12.0, 1e-6);
    // One sidereal day (23h 56m 4.0905s of UT) later the angle is back.
    EXPECT_NEAR(GreenwichSiderealTime(2000, 1, 1, 23.9344696), gmst0, 1e-6);
    // Crossing midnight: the same instant from either side of the date change.
    EXPECT_NEAR(GreenwichSiderealTime(2019, 1, 24, 24.0), GreenwichSiderealTime(2019, 1, 25, 0.0), 1e-7);
    const double g = GreenwichSiderealTime(2019, 1, 25, 7.25);
    EXPECT_GE(g, 0.0);
    EXPECT_LT(g, kTwoPi);

    const Vector3 v = Multiply(EarthRotationMatrix(M_PI / 2.0), Vector3{1.0, 0.0, 5.0});
    EXPECT_NEAR(v.x, 0.0, 1e-15);
    EXPECT_NEAR(v.y, -1.0, 1e-15);
    EXPECT_EQ(v.z, 5.0);
}

TEST(LookAngles, GeodeticConversion)
{
    const double a = 6378.135, e2 = 0.00669438;
    for (double latDeg : {-89.0, -45.0, -0.5, 0.5, 35.0, 80.0}) {
        for (double h : {0.0, 850.0}) {
            const double lat = latDeg * M_PI / 180.0, lon = 2.0;
            const double n = a / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
            const Vector3 r{(n + h) * std::cos(lat) * std::cos(lon), (n + h) * std::cos(lat) * std::sin(lon),
                            (n * (1.0 - e2) + h) * std::sin(lat)};
            const GeodeticPoint g = EciToGeodetic(r);
            EXPECT_NEAR(g.latitudeRad, lat, 1e-9) << latDeg;
            EXPECT_NEAR(g.longitudeRad, lon, 1e-12);
            EXPECT_NEAR(g.heightKm, h, 1e-3) << latDeg;
        }
    }
    // In the equatorial plane the height formula would divide 0 by 0.
    const GeodeticPoint eq = EciToGeodetic(Vector3{0.0, -7200.0, 0.0});
    EXPECT_EQ(eq.latitudeRad, 0.0);
    EXPECT_NEAR(eq.heightKm, 7200.0 - a, 1e-9);
    EXPECT_NEAR(eq.longitudeRad, -M_PI / 2.0, 1e-15);
    const GeodeticPoint pole = EciToGeodetic(Vector3{0.0, 0.0, -7000.0});
    EXPECT_NEAR(pole.latitudeRad, -M_PI / 2.0, 1e-15);
    EXPECT_NEAR(pole.heightKm, 7000.0 - a * std::sqrt(1.0 - e2), 1e-9);
}

TEST(LookAngles, ElevationOnTheSphere)
{
    const double lat = 35.0, lon = 139.0;
    GeodeticPoint overhead{lat * M_PI / 180.0, lon * M_PI / 180.0, 850.0};
    EXPECT_NEAR(StationElevation(overhead, lat, lon), 90.0, 1e-6);

    // 20 degrees of arc away at 850 km: the elevation from plane geometry.
    const double psi = 20.0 * M_PI / 180.0;
    GeodeticPoint far{(lat + 20.0) * M_PI / 180.0, lon * M_PI / 180.0, 850.0};
    const double rs = 6367.4445 + 850.0, ro = 6367.8045;
    const double expected = std::atan2(rs * std::cos(psi) - ro, rs * std::sin(psi)) * 180.0 / M_PI;
    EXPECT_NEAR(StationElevation(far, lat, lon), expected, 1e-9);
    GeodeticPoint below{-(90.0 - lat) * M_PI / 180.0, (lon - 180.0) * M_PI / 180.0, 850.0};
    EXPECT_LT(StationElevation(below, lat, lon), -60.0);
}

TEST(LookAngles, GroundTrackHeading)
{
    const GeodeticPoint p{0.50, 2.00, 850.0};
    EXPECT_EQ(GroundTrackHeading(p, 0.50, 1.99), 0.0);  // equal latitudes: 0, counted as southbound
    EXPECT_EQ(GroundTrackHeading(p, 0.49, 2.00), 0.0);
    const double north = GroundTrackHeading(p, 0.49, 2.001);  // northbound, drifting west
    EXPECT_GT(north, 270.0);
    EXPECT_LT(north, 360.0);
    const double south = GroundTrackHeading(p, 0.51, 2.001);  // southbound, drifting west
    EXPECT_GT(south, 180.0);
    EXPECT_LT(south, 270.0);
    EXPECT_NEAR(GroundTrackHeading(p, 0.49, 1.99), 45.0, 1e-9);
}
