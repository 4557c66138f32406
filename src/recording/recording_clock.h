// The clock of a recording, measured against the satellite's. An APT line
// lasts exactly half a second of the spacecraft's clock, so where the sync
// of each half-second block of the recording lies tells how fast the
// recorder's sound card really ran: a card 0.1 % fast puts 0.1 % more
// samples into every line than its header's rate says, and the sync creeps
// 12 samples later from block to block. Cheap sound cards run that far off;
// the line decoder then never sees two blocks agree on the sync, and the
// line times drift by a second over a pass. Decoded again at the measured
// rate, the lines come out half a second apart and their times are true.
#pragma once

#include <optional>
#include <span>

namespace sorae {

struct RecordingClock {
    // The recording's true sample rate over the rate its header gives
    // (above 1: the recorder's clock ran fast).
    double ratio = 1.0;
    int blockPairs = 0;  // pairs of consecutive blocks that agreed on the creep
};

// A block without a sync candidate.
inline constexpr int kNoSyncPosition = -1;

// From the raw sync position of each block in order (0..blockSamples-1, or
// kNoSyncPosition): the creep from block to block is the median of the
// position steps between consecutive candidate blocks (wrapped into the
// block, at most kMaxCreep samples either way), averaged over the steps
// that lie near it. Nothing when too few steps agree: a recording of
// noise, or too short to tell.
std::optional<RecordingClock> MeasureRecordingClock(std::span<const int> positions, int blockSamples);

// Whether the clock is off far enough to decode the recording again at
// its measured rate: beyond kMinCorrectionPpm its line times would drift
// by more than a few hundred metres of ground over a pass.
bool ClockWorthCorrecting(const RecordingClock& clock);

inline constexpr int kMaxCreepSamples = 150;   // 1.25 % of a 12000-sample block
inline constexpr int kMinAgreeingPairs = 20;
inline constexpr double kMinCorrectionPpm = 100.0;

}  // namespace sorae
