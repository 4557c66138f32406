// Follows the line position of a recording from line to line, so that a
// weak signal keeps its lines where they belong. Once the block correlator
// has confirmed a position, each new line's sync is looked for only near
// where the line rate puts it: the envelope is correlated (not sliced into
// bits) with both sync words at once, sync A and, half a line later,
// sync B, which together weigh twice the evidence of sync A alone and
// whose different pulse rates keep the side lobes low. A sync found near
// the prediction corrects the position and the drift (the recorder's clock
// error) a little at a time; a line whose own sync is drowned is placed
// where position and drift say it must lie. The track is given up after a
// long stretch without any sync (the pass has ended), or moved when the
// block correlator confirms the line elsewhere while its own sync is lost.
//
// Positions are the line decoder's line offsets: the line is cut from the
// previous block at the offset, which lies 9 samples after the start of its
// sync A. Blocks are kept as three: the one before the previous, the
// previous and the current; allocated once, nothing is allocated per block.
#pragma once

#include <array>
#include <optional>

#include "apt/sync_pattern.h"

namespace sorae {

class SyncTracker {
public:
    // Samples either side of the predicted position that are searched.
    static constexpr int kSearchHalfWidth = 16;
    // A sync counts when it lies this close to the prediction and its
    // correlation coefficient reaches kMinCorrelation.
    static constexpr double kGateSamples = 8.0;
    static constexpr double kMinCorrelation = 0.2;
    // How much of the difference between the found and the predicted
    // position goes into the position and into the drift per line.
    static constexpr double kPositionGain = 0.3;
    static constexpr double kDriftGain = 0.03;
    // Drift beyond this (samples per line, about 800 ppm) is no clock error.
    static constexpr double kMaxDrift = 10.0;
    // Lines without a sync of their own before the track is given up (30 s).
    static constexpr int kMaxCoastLines = 60;
    // Where the line offset lies after the start of sync A.
    static constexpr int kOffsetAfterSyncStart = 9;

    struct Step {
        bool tracking = false;   // offset is a tracked position
        bool ownSync = false;    // the line's own sync was found where the line rate put it
        int offset = 0;          // 0..11999: where to cut the line from the previous block
        double correlation = 0.0;  // the best coefficient found near the prediction
    };

    // Loses the track; the blocks kept stay.
    void reset();

    // Once per block, with the current envelope block (kEnvelopeBlockSamples)
    // and the offset the block correlator confirmed with it, if it did.
    // Places the line that is cut from the previous and this block.
    Step update(const double* envelope, std::optional<int> confirmed);

    bool tracking() const { return tracking_; }
    double position() const { return position_; }
    double drift() const { return drift_; }

    // Correlation coefficient (-1..1) of the kept envelope with both sync
    // words for the line whose offset is `offset` (may lie a little outside
    // 0..11999: before or after the previous block). Valid once three blocks
    // were given.
    double correlationAt(int offset) const;

private:
    double sample(int joinedIndex) const;

    std::array<std::array<double, kEnvelopeBlockSamples>, 3> blocks_{};
    int newest_ = 0;        // index of the current block in blocks_
    long blocksSeen_ = 0;
    bool tracking_ = false;
    double position_ = 0.0; // offset of the line last placed, 0..11999.x
    double drift_ = 0.0;    // samples per line
    int coastLines_ = 0;
};

}  // namespace sorae
