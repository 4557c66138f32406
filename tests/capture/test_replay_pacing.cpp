// The replay's pacing (blocks due per timer tick at each speed, speed
// changes, stalls) and its progress line.
#include <gtest/gtest.h>

#include "capture/replay_pacing.h"
#include "capture/replay_progress.h"

using namespace sorae;

namespace {

// Ticks every 50 ms for `seconds` and feeds what is due; returns the blocks fed.
long runFor(ReplayPacer& pacer, std::int64_t& nowMs, double seconds) {
    long fed = 0;
    const std::int64_t end = nowMs + std::int64_t(seconds * 1000);
    while (nowMs < end) {
        nowMs += ReplayPacer::kTickMilliseconds;
        const int due = pacer.blocksDue(nowMs);
        pacer.blocksFed(due);
        fed += due;
    }
    return fed;
}

struct SpeedCase {
    ReplaySpeed speed;
    long blocksIn60Seconds;
};

class ReplayPacingSpeed : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(ReplayPacingSpeed, FeedsTwoBlocksPerSecondTimesTheFactor) {
    ReplayPacer pacer;
    std::int64_t now = 1000;
    pacer.start(GetParam().speed, now);
    EXPECT_EQ(runFor(pacer, now, 60.0), GetParam().blocksIn60Seconds);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ReplayPacingSpeed,
                         ::testing::Values(SpeedCase{ReplaySpeed::Real, 120}, SpeedCase{ReplaySpeed::Double, 240},
                                           SpeedCase{ReplaySpeed::Fourfold, 480},
                                           SpeedCase{ReplaySpeed::Eightfold, 960}));

TEST(ReplayPacing, FastestFeedsABurstEveryTickWithoutWaiting) {
    ReplayPacer pacer;
    pacer.start(ReplaySpeed::Fastest, 0);
    EXPECT_EQ(pacer.tickMilliseconds(), 0);
    EXPECT_EQ(pacer.blocksDue(0), ReplayPacer::kFastestBlocksPerTick);
}

TEST(ReplayPacing, ASpeedChangeNeitherRepeatsNorBurstsBlocks) {
    ReplayPacer pacer;
    std::int64_t now = 0;
    pacer.start(ReplaySpeed::Real, now);
    long fed = runFor(pacer, now, 10.0);  // 20 blocks
    pacer.setSpeed(ReplaySpeed::Eightfold, now);
    EXPECT_EQ(pacer.blocksDue(now), 0);   // nothing owed at the moment of the change
    fed += runFor(pacer, now, 10.0);      // 160 more
    pacer.setSpeed(ReplaySpeed::Real, now);
    fed += runFor(pacer, now, 10.0);      // 20 more
    EXPECT_EQ(fed, 200);
}

TEST(ReplayPacing, AStallIsNotMadeUpInOneBurst) {
    ReplayPacer pacer;
    std::int64_t now = 0;
    pacer.start(ReplaySpeed::Eightfold, now);
    runFor(pacer, now, 1.0);
    now += 30000;  // the window was busy for half a minute
    EXPECT_LE(pacer.blocksDue(now), ReplayPacer::kMaxBlocksPerTick);
    // From there on the speed holds again.
    long fed = runFor(pacer, now, 10.0);
    EXPECT_NEAR(fed, 160, 1);
}

TEST(ReplayProgress, ShowsPositionAndLengthInMinutesAndSeconds) {
    EXPECT_EQ(ReplayProgressText(754.5, 902.0), "録音再生中 12:34 / 15:02");
    EXPECT_EQ(ReplayProgressText(0.0, 59.9), "録音再生中 00:00 / 00:59");
    // The padded last block never reads past the end; long recordings keep counting minutes.
    EXPECT_EQ(ReplayProgressText(4000.0, 3900.0), "録音再生中 65:00 / 65:00");
}

}  // namespace
