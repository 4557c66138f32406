// Block times of a live reception: exact block spacing through clock jitter
// and bursts, whole blocks skipped where the clock says for good that they
// were lost.
#include <gtest/gtest.h>

#include <vector>

#include "apt/block_timeline.h"

using namespace sorae;

TEST(BlockTimeline, KeepsTheSampleClockAndSkipsOnlyLostBlocks) {
    struct Case {
        const char* what;
        std::vector<double> arrivals;  // clock when each block was complete
        std::vector<double> expected;  // seconds of each block's first sample
    };
    const double t0 = 1.6e9;
    const Case cases[] = {
        {"steady", {t0 + 0.5, t0 + 1.0, t0 + 1.5}, {0.0, 0.5, 1.0}},
        {"jitter", {t0 + 0.5, t0 + 1.09, t0 + 1.42, t0 + 2.2}, {0.0, 0.5, 1.0, 1.5}},
        {"burst after a stall", {t0 + 0.5, t0 + 2.01, t0 + 2.02, t0 + 2.03, t0 + 2.5}, {0.0, 0.5, 1.0, 1.5, 2.0}},
        {"burst after a long stall", {t0 + 0.5, t0 + 3.6, t0 + 3.6, t0 + 3.6, t0 + 3.6, t0 + 3.6, t0 + 3.6, t0 + 4.0},
         {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5}},
        // Known at the third late block; the two before keep the old count.
        {"two blocks lost", {t0 + 0.5, t0 + 1.0, t0 + 2.52, t0 + 3.0, t0 + 3.5, t0 + 4.01},
         {0.0, 0.5, 1.0, 1.5, 3.0, 3.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BlockTimeline timeline;
        for (std::size_t i = 0; i < c.arrivals.size(); ++i)
            EXPECT_DOUBLE_EQ(timeline.next(c.arrivals[i]), c.expected[i]) << "block " << i;
        EXPECT_DOUBLE_EQ(timeline.startUnixSeconds(), t0);
        timeline.reset();
        EXPECT_TRUE(std::isnan(timeline.startUnixSeconds()));
        EXPECT_DOUBLE_EQ(timeline.next(t0 + 100.5), 0.0);
    }
}
