// Finds where the channel-A sync word lies in one block: hard-limits the
// envelope to bits, and correlates the joined bit stream (the previous
// block's last 225 bits, then this block's 12000) with the sync pattern.
//
// The correlation is the one of a 225-bit shift register that starts all 0
// and takes one bit of the stream per step; each step scores +1 per bit equal
// to the pattern and -1 per other bit, and the first step with the highest
// score above 0 wins. It is computed from prefix sums: the pattern is a few
// runs of equal bits, so a window's score is a fixed sum of prefix-sum terms.
// The integer result is identical to the shift-register loop.
#pragma once

#include <array>
#include <cstdint>

#include "apt/sync_pattern.h"

namespace sorae {

// bit[k] = 1 when x[k] - peak/2 >= 0, with peak the largest of 0 and all
// x[k]; so an envelope with nothing above 0 turns its zeros into 1.
// Returns the threshold, peak/2.
double hardLimitBlock(const double* envelope, std::uint8_t* bits);

// How deeply the block is modulated around the slicer's threshold:
// (mean of the samples at or above it - mean of those below) / mean of those
// at or above it; 0 when no sample lies below or nothing lies above 0.
// Silence and an unmodulated tone give 0; an APT line about 0.7, and
// still about 0.2 when its picture is a grey just below the threshold.
double modulationDepth(const double* envelope, double threshold);

// The line position that a best correlation step m gives: m - 440, brought
// into 0..11999. It lies 9 samples after the first bit of the matched window.
int positionFromPeak(int bestStep);

struct SyncPeak {
    bool found = false;   // some step scored above 0
    int step = 0;         // m of the first highest score, 0..12224
    int score = 0;        // that score, 1..225 when found
};

class SyncCorrelator {
public:
    SyncCorrelator();

    // joined: kJoinedBits bytes of 0/1.
    SyncPeak findPeak(const std::uint8_t* joined);

private:
    static constexpr int kLead = kSyncPatternLength - 1;   // zeros the register starts with
    // prefix_[t] = number of ones among the first t bits of (224 zeros, joined)
    std::array<std::int32_t, kLead + kJoinedBits + 1> prefix_{};
    static constexpr int kChunk = 2048;
    std::array<std::int32_t, kChunk> chunkMatches_{};
    int termCount_ = 0;
    std::array<int, SyncPatternRuns::kMaxRuns + 1> termOffset_{};
    std::array<std::int32_t, SyncPatternRuns::kMaxRuns + 1> termWeight_{};
    int zeroBitsInPattern_ = 0;
};

}  // namespace sorae
