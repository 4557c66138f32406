#include "recording/block_stage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace sorae {
namespace {

// Two stages in a row: every block comes out once, in order, with the work
// of both stages done, whatever the depth.
TEST(BlockStage, ChainedStagesKeepTheOrderAndEndTogether) {
    for (int depth : {2, 4}) {
        int made = 0;
        BlockStage first(3, depth, [&](double* out) {
            if (made == 50) return false;
            out[0] = out[1] = out[2] = double(made++);
            return true;
        });
        BlockStage second(3, depth, [&](double* out) {
            const double* in = first.next();
            if (in == nullptr) return false;
            for (int k = 0; k < 3; ++k) out[k] = in[k] * 2.0 + k;
            return true;
        });
        int seen = 0;
        while (const double* block = second.next()) {
            ASSERT_EQ(block[0], 2.0 * seen) << "depth " << depth;
            ASSERT_EQ(block[2], 2.0 * seen + 2.0);
            ++seen;
        }
        EXPECT_EQ(seen, 50);
        EXPECT_EQ(second.next(), nullptr) << "the end stays the end";
    }
}

// A consumer that stops early (a full line store) stops the stages in
// order: nothing hangs, although the producer could go on for ever.
TEST(BlockStage, StoppingMidWayEndsEveryThread) {
    std::atomic<long> made{0};
    BlockStage endless(1, 2, [&](double* out) {
        out[0] = double(made++);
        return true;
    });
    BlockStage next(1, 2, [&](double* out) {
        const double* in = endless.next();
        if (in == nullptr) return false;
        out[0] = in[0];
        return true;
    });
    for (int i = 0; i < 5; ++i) ASSERT_EQ(next.next()[0], double(i));
    endless.stop();
    next.stop();
    EXPECT_EQ(next.next(), nullptr);
    EXPECT_LT(made.load(), 20) << "only a few blocks are made ahead";
}

}  // namespace
}  // namespace sorae
