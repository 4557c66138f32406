// Who goes first when a pass comes due during a replay.
#include <gtest/gtest.h>

#include "orbit/replay_pass_rule.h"

using namespace sorae;

namespace {

struct RuleCase {
    const char* name;
    bool tableValid;
    double nowMinutes;  // after 10:00; the pass runs 10:00 .. 10:15
    bool autoOn;
    bool asked;
    ReplayPassAction expected;
};

class ReplayPassRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ReplayPassRule, Decides) {
    const RuleCase& c = GetParam();
    const double tenOClock = 45000.0 + 10.0 / 24.0;
    ReplayPassSituation s;
    s.passTableValid = c.tableValid;
    s.next.satellite = "NOAA-19";
    s.next.start = DayTime{tenOClock};
    s.next.end = DayTime{tenOClock + 15.0 / 1440.0};
    s.now = DayTime{tenOClock + c.nowMinutes / 1440.0};
    s.autoReceptionOn = c.autoOn;
    s.askedAboutThisPass = c.asked;
    EXPECT_EQ(DecideReplayPass(s), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplayPassRule,
    ::testing::Values(RuleCase{"before the pass", true, -1.0, true, false, ReplayPassAction::None},
                      RuleCase{"at its start, automatic", true, 0.0, true, false, ReplayPassAction::Yield},
                      RuleCase{"at its start, by hand", true, 0.0, false, false, ReplayPassAction::Ask},
                      RuleCase{"asked already", true, 5.0, false, true, ReplayPassAction::None},
                      RuleCase{"automatic switched on after a No", true, 5.0, true, true, ReplayPassAction::Yield},
                      RuleCase{"at its end", true, 15.0, false, false, ReplayPassAction::Ask},
                      RuleCase{"after the pass", true, 16.0, true, false, ReplayPassAction::None},
                      RuleCase{"no usable table", false, 5.0, true, false, ReplayPassAction::None}));

TEST(ReplayPassRule, AnEmptySlotIsNeverDue) {
    ReplayPassSituation s;
    s.passTableValid = true;
    s.autoReceptionOn = true;
    s.now = DayTime{45000.5};
    s.next.start = DayTime{45000.0};
    s.next.end = DayTime{45001.0};
    EXPECT_EQ(DecideReplayPass(s), ReplayPassAction::None);
}

}  // namespace
