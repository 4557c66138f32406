// The sync words as they appear in the 24 kHz envelope: 225 samples of 0/1
// each, and channel A's as runs of equal bits, which the fast correlation
// uses.
#pragma once

#include <array>
#include <cstdint>

namespace sorae {

constexpr int kEnvelopeBlockSamples = 12000;   // one line period at 24 kHz
constexpr int kSyncPatternLength = 225;        // sync A (39 words) at 24 kHz
constexpr int kJoinedBits = kSyncPatternLength + kEnvelopeBlockSamples;  // 12225
constexpr int kSyncWords = 39;

// SyncAPattern: pattern[k] = word[floor(k * 2080 / 12000)], where the 39
// words are 3 low, seven pulses of two high and two low words, then 8 low.
const std::array<std::uint8_t, kSyncPatternLength>& syncAPattern();

// SyncBPattern: the same from channel B's sync word: 4 low words, then seven
// times three high and two low. It begins half a line (6000 samples) after
// sync A.
constexpr int kSyncBDelaySamples = kEnvelopeBlockSamples / 2;
const std::array<std::uint8_t, kSyncPatternLength>& syncBPattern();

// The pattern as runs of equal bits: run r covers [start[r], start[r+1]) and
// holds value[r]. The sync word makes 15 runs; start has one entry more.
struct SyncPatternRuns {
    static constexpr int kMaxRuns = 32;
    int count = 0;
    std::array<int, kMaxRuns + 1> start{};
    std::array<std::uint8_t, kMaxRuns> value{};
};
const SyncPatternRuns& syncAPatternRuns();

}  // namespace sorae
