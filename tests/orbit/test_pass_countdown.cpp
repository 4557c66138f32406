#include <gtest/gtest.h>

#include "orbit/pass_countdown.h"

using namespace sorae;

namespace {

struct CountdownCase {
    double secondsFromStart;  // now, relative to the pass's start
    const char* expected;
};

class PassCountdownTest : public ::testing::TestWithParam<CountdownCase> {};

TEST_P(PassCountdownTest, CountsToTheStartThenToTheEnd) {
    const DayTime start = EncodeDayTime(2026, 12, 31, 23, 50, 0);
    const DayTime end{start.days + 754.0 / 86400.0};  // 12 min 34 s later, past midnight
    const DayTime now{start.days + GetParam().secondsFromStart / 86400.0};
    EXPECT_EQ(PassCountdownText(now, start, end), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Moments, PassCountdownTest,
                         ::testing::Values(CountdownCase{-3723.0, "あと 1:02:03"}, CountdownCase{-3600.0, "あと 1:00:00"},
                                           CountdownCase{-754.5, "あと 12:35"}, CountdownCase{-0.4, "あと 00:01"},
                                           CountdownCase{0.0, "通過中 残り 12:34"},
                                           CountdownCase{700.0, "通過中 残り 00:54"},
                                           CountdownCase{754.0, "通過中 残り 00:00"}, CountdownCase{755.0, ""}));

TEST(PassDuration, WholeMinutesAndSeconds) {
    const DayTime start = EncodeDayTime(2026, 12, 31, 23, 50, 0);
    EXPECT_EQ(PassDurationText(start, DayTime{start.days + 754.0 / 86400.0}), "12分34秒");
    EXPECT_EQ(PassDurationText(start, DayTime{start.days + 61.0 / 86400.0}), "1分01秒");
    EXPECT_EQ(PassDurationText(start, start), "0分00秒");
}

}  // namespace
