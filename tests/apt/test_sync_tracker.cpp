// Line-rate tracking: a drifting line stays placed through noise that
// drowns many of its syncs, a drowned line is placed by the line rate and
// said to be, a moved line is followed once the correlator confirms it
// elsewhere, and the track ends when the signal does.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "apt/line_decoder.h"
#include "apt/sync_tracker.h"
#include "synthetic_envelope.h"

namespace sorae {
namespace {

struct TrackCase {
    const char* what;
    double driftPerLine;   // samples per line (100 ppm: 1.2)
    double noise;          // standard deviation, full scale 1500
    int drownEvery;        // every n-th line pure noise (0: none)
    int jumpAtLine;        // the line moves by 3000 samples here (0: never)
    int endAtLine;         // from here on only noise (0: never)
};

TEST(SyncTracker, FollowsTheLineRateThroughNoise) {
    const TrackCase cases[] = {
        {"clean, slow clock", -1.2, 0.0, 0, 0, 0},
        {"noisy, fast clock", 1.2, 700.0, 0, 0, 0},
        {"every third sync drowned", 0.8, 500.0, 3, 0, 0},
        {"moved by a gap", 0.0, 300.0, 0, 60, 0},
        {"signal ends", 0.5, 300.0, 0, 0, 50},
    };
    for (const TrackCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::mt19937 random(7);
        std::normal_distribution<double> gauss(0.0, 1.0);
        SyncTracker tracker;
        const int lines = 200;
        std::vector<double> syncStart(lines);
        double start = 4000.0;
        int placedByRate = 0, tracked = 0;
        for (int line = 0; line < lines; ++line) {
            start += c.driftPerLine;
            if (c.jumpAtLine && line == c.jumpAtLine) start += 3000.0;
            syncStart[std::size_t(line)] = start;
            const bool drowned = (c.drownEvery && line % c.drownEvery == 0) || (c.endAtLine && line >= c.endAtLine);
            std::vector<double> block = test::blockWithSyncAt(int(std::lround(start)), line);
            for (double& x : block) x = (drowned ? 0.0 : x) + c.noise * gauss(random);
            // What the block correlator would confirm: the true place, from
            // the third block on and, after the move, a few blocks later.
            std::optional<int> confirmed;
            const bool settled = line >= 2 && !(c.jumpAtLine && line >= c.jumpAtLine && line < c.jumpAtLine + 3);
            if (settled && !drowned) confirmed = int(std::lround(start)) + SyncTracker::kOffsetAfterSyncStart;
            const SyncTracker::Step step = tracker.update(block.data(), confirmed);

            if (c.endAtLine && line >= c.endAtLine + SyncTracker::kMaxCoastLines + 1) {
                EXPECT_FALSE(step.tracking) << "line " << line;
                continue;
            }
            const bool justMoved = c.jumpAtLine && line >= c.jumpAtLine && line < c.jumpAtLine + 4;
            if (line < 4 || justMoved) continue;
            ASSERT_TRUE(step.tracking) << "line " << line;
            ++tracked;
            // The line cut now is the one whose sync lay in the previous block.
            const double expected = syncStart[std::size_t(line - 1)] + SyncTracker::kOffsetAfterSyncStart;
            EXPECT_NEAR(step.offset, expected, 3.0) << "line " << line;
            if (!step.ownSync) ++placedByRate;
            const bool previousDrowned = (c.drownEvery && (line - 1) % c.drownEvery == 0) ||
                                         (c.endAtLine && line - 1 >= c.endAtLine);
            if (previousDrowned) { EXPECT_FALSE(step.ownSync) << "line " << line; }
        }
        EXPECT_GT(tracked, 0);
        if (c.drownEvery) { EXPECT_GE(placedByRate, tracked / c.drownEvery - 2); }
        if (!c.drownEvery && !c.endAtLine && !c.jumpAtLine) { EXPECT_EQ(placedByRate, 0); }
        if (c.driftPerLine != 0.0 && !c.endAtLine) { EXPECT_NEAR(tracker.drift(), c.driftPerLine, 0.3); }
    }
}

// The correlation over both sync words peaks where they lie, and is low
// elsewhere, whatever the level.
TEST(SyncTracker, CorrelationPeaksAtBothSyncWords) {
    for (double scale : {0.01, 1.0, 40.0}) {
        SyncTracker tracker;
        for (int line = 0; line < 3; ++line) {
            auto block = test::blockWithSyncAt(5000, line);
            for (double& x : block) x *= scale;
            tracker.update(block.data(), std::nullopt);
        }
        const int at = 5000 + SyncTracker::kOffsetAfterSyncStart;
        EXPECT_GT(tracker.correlationAt(at), 0.9) << scale;
        EXPECT_LT(tracker.correlationAt(at + 12), 0.3) << scale;
        EXPECT_LT(tracker.correlationAt(at + 300), 0.3) << scale;
    }
}

// Through the line decoder: with tracking a weak signal's lines all count
// as synchronised; without it the decoder is unchanged.
TEST(SyncTracker, LineDecoderCountsTrackedLinesOnlyWhenAsked) {
    for (bool track : {false, true}) {
        SCOPED_TRACE(track ? "tracking" : "not tracking");
        LineStore store;
        LineDecoder decoder(store);
        decoder.setTrackLineRate(track);
        std::mt19937 random(3);
        std::normal_distribution<double> gauss(0.0, 1.0);
        int tracked = 0, byRate = 0;
        for (int line = 0; line < 60; ++line) {
            std::vector<double> block = test::blockWithSyncAt(3000, line);
            // every other sync drowned after the start
            const bool drowned = line > 6 && line % 2 == 0;
            for (double& x : block) x = (drowned ? 0.0 : x) + 200.0 * gauss(random);
            const DecodeResult r = decoder.decodeBlock(block.data(), DecodeContext{}, nullptr);
            tracked += r.tracked ? 1 : 0;
            byRate += r.placedByLineRate ? 1 : 0;
            if (r.tracked) { EXPECT_NEAR(decoder.lineOffset(), 3000 + SyncTracker::kOffsetAfterSyncStart, 2); }
        }
        if (track) {
            EXPECT_GT(tracked, 50);
            EXPECT_GE(byRate, 20);
        } else {
            EXPECT_EQ(tracked, 0);
            EXPECT_EQ(byRate, 0);
        }
    }
}

}  // namespace
}  // namespace sorae
