// The program clock: its offset text, and that the offset moves the UT, the
// station time and the fields together.
#include <gtest/gtest.h>

#include "app/program_clock.h"
#include "orbit/reception_scheduler.h"

using namespace sorae;

TEST(ProgramClock, OffsetTextIsAWholeSignedNumberOfSeconds) {
    EXPECT_EQ(parseClockOffset("0"), 0);
    EXPECT_EQ(parseClockOffset("-3600"), -3600);
    EXPECT_EQ(parseClockOffset("+59"), 59);
    for (const char* bad : {"", "-", "1.5", "12s", " 1", "1e6", "99999999999999999999"}) {
        EXPECT_FALSE(parseClockOffset(bad).has_value()) << bad;
    }
}

TEST(ProgramClock, OffsetShiftsUtcAndStationTimeAlike) {
    setClockOffsetSeconds(0);
    const std::int64_t base = programUnixSeconds();
    setClockOffsetSeconds(-86400 * 365);
    const std::int64_t shifted = programUnixSeconds();
    EXPECT_NEAR(double(shifted - base), -86400.0 * 365, 2.0);

    const UtcInstant utc = programUtcNow();
    const DayTimeFields station = DecodeDayTime(programStationNow());
    // Station time is nine hours ahead of UT, whatever the computer's zone.
    const int utcMinutes = utc.hour * 60 + utc.minute;
    const int stationMinutes = station.hour * 60 + station.minute;
    EXPECT_EQ(((stationMinutes - utcMinutes) % 1440 + 1440) % 1440 / 60, 9);
    setClockOffsetSeconds(0);
}

TEST(ProgramClock, UnixSecondsBreakIntoUtcFields) {
    const UtcInstant a = utcFromUnixSeconds(1548374400);  // 2019-01-25 00:00:00
    EXPECT_EQ(a.year, 2019);
    EXPECT_EQ(a.month, 1);
    EXPECT_EQ(a.day, 25);
    EXPECT_EQ(a.hour, 0);
    const UtcInstant b = utcFromUnixSeconds(-1);  // 1969-12-31 23:59:59
    EXPECT_EQ(b.year, 1969);
    EXPECT_EQ(b.day, 31);
    EXPECT_EQ(b.second, 59);
    EXPECT_EQ(StationTimeFromUnixSeconds(1548374400), StationTimeFromUtc(a));
}
