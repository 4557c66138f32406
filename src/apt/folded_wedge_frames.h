// Telemetry frames folded over a whole pass: the telemetry repeats every
// 128 lines, so the mean telemetry level of each channel at each line of
// the frame period (the line number modulo 128), over the synchronised
// lines of the pass, is one frame in which the noise of all frames has
// averaged out. Where single frames are too noisy to show a staircase (a
// weak signal), the folded frame still does. The frame's phase is where
// wedge 8 stands highest above wedge 9 (both channels together), as for
// single frames; each wedge is the trimmed mean of its middle six lines of
// every frame (a fifth of the values at either end left out), so lines
// spoilt by a drop-out, a click or a level still settling do not pull it.
// The levels of up to kMaxLines lines are kept, allocated at construction.
//
// A sensor that changes during the pass mixes two wedge-16 levels in the
// fold; the telemetry takes names from it only where single frames named
// nothing.
#pragma once

#include <array>
#include <vector>

#include "apt/staircase_recognition.h"
#include "apt/wedge_frame_tracker.h"

namespace sorae {

class FoldedWedgeFrames {
public:
    static constexpr int kPeriod = WedgeFrameTracker::kLinesPerFrame;   // 128
    static constexpr int kMaxLines = 4096;   // beyond, lines are not added
    static constexpr double kTrimmed = 0.2;  // left out at either end

    FoldedWedgeFrames();
    void reset();

    // One decoded line, in order: the mean telemetry levels of halves A
    // and B and whether the line was synchronised (others are counted,
    // for the phase, but not added).
    void addLine(double levelA, double levelB, bool synchronised);

    // Synchronised lines added, in whole frames' worth.
    double frames() const { return double(synchronisedLines_) / kPeriod; }

    // The folded frame of both channels; false when some wedge of the
    // frame found has no synchronised line (too few lines so far).
    bool read(std::array<WedgeLevels, 2>& frame) const;

private:
    // Trimmed mean level of channel r over the middle lines of `wedge`
    // (1..16) of every frame beginning at phase `start`; NaN without lines.
    double wedgeLevel(int channel, int start, int wedge) const;

    std::array<std::vector<double>, 2> level_;   // NaN: not synchronised
    mutable std::vector<double> scratch_;
    long lines_ = 0;
    long synchronisedLines_ = 0;
};

}  // namespace sorae
