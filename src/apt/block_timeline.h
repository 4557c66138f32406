// When each half-second block of a live reception began, in seconds after
// the first sample of the pass. Blocks hold a fixed number of samples, so
// one block begins exactly a block after the last; the clock is heeded only
// when it says whole blocks were lost (the capture fell behind), never for
// the jitter with which blocks are handed on. A stall that lost nothing
// ends in a burst that catches up with the clock; lost blocks leave the
// clock ahead by the same whole blocks, block after block. So the count
// jumps once three blocks in a row lag the clock steadily by more than half
// a block; the two blocks before that keep the old count.
#pragma once

#include <cmath>
#include <limits>

namespace sorae {

class BlockTimeline {
public:
    explicit BlockTimeline(double blockSeconds = 0.5) : blockSeconds_(blockSeconds) {}

    // A new pass: the next block is its first.
    void reset() {
        startUnixSeconds_ = std::numeric_limits<double>::quiet_NaN();
        lastBlockSeconds_ = 0.0;
        lastLate_ = 0.0;
        steadyLate_ = 0;
    }

    // The block whose last sample arrived at `clockUnixSeconds` (UTC):
    // seconds from the pass's first sample to the block's first sample.
    double next(double clockUnixSeconds);

    // UTC of the pass's first sample; NaN before the first block.
    double startUnixSeconds() const { return startUnixSeconds_; }

private:
    double blockSeconds_;
    double startUnixSeconds_ = std::numeric_limits<double>::quiet_NaN();
    double lastBlockSeconds_ = 0.0;
    double lastLate_ = 0.0;  // how far the clock was ahead of the count
    int steadyLate_ = 0;     // blocks in a row it stayed so
};

}  // namespace sorae
