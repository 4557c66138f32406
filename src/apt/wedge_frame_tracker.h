// Finds the telemetry frames in the run of decoded lines. It keeps, for the
// last lines, the mean telemetry level of each channel half and whether the
// line was synchronised. Each wedge of a frame is the robust mean of its
// middle lines (the first and last of its 8 lines are left out, as are
// unsynchronised lines), so noise averages out and a line or two lost to a
// drop-out or a click cost nothing. The frame phase is where the contrast
// between wedges 8 and 9 (both channels together) peaks: a frame is read
// once per peak, a few lines after it ends, and a phase slip after a lost
// line is followed at the next frame.
#pragma once

#include <array>
#include <cstdint>

#include "apt/staircase_recognition.h"

namespace sorae {

class WedgeFrameTracker {
public:
    static constexpr int kLinesPerWedge = 8;
    static constexpr int kWedges = 16;
    static constexpr int kLinesPerFrame = kLinesPerWedge * kWedges;
    // Lines of a wedge that are averaged: 1..6 of 0..7.
    static constexpr int kFirstMiddleLine = 1;
    static constexpr int kMiddleLines = 6;
    // A wedge needs this many usable lines, else its frame is not read.
    static constexpr int kMinUsableLines = 2;
    // The contrast peak must be the highest this many lines either side,
    // so a frame is read this many lines after it ends.
    static constexpr int kPeakHalfWidth = 4;

    // One decoded line: the mean telemetry levels of halves A and B and
    // whether the line was synchronised. Returns true when a frame was read
    // (it ended frameEnd() lines ago); frame() then holds its wedges.
    bool addLine(double levelA, double levelB, bool synchronised);

    // The wedges of the frame last read (NaN for a wedge without usable lines).
    const WedgeLevels& frame(int channel) const { return frame_[channel]; }
    // Lines since the end of the frame last read (-1 before the first one).
    long linesSinceFrameEnd() const { return lastFrameEnd_ < 0 ? -1 : lines_ - 1 - lastFrameEnd_; }
    long lines() const { return lines_; }

private:
    static constexpr int kRing = 256;   // lines kept, a power of two above a frame and a peak window
    static_assert(kRing >= kLinesPerFrame + 2 * kPeakHalfWidth + 1);

    // Robust mean of wedge 1..16 of channel r in the frame whose last line is `end`.
    double wedgeLevel(int channel, std::int64_t end, int wedge) const;
    double contrast(std::int64_t end) const;
    static int slot(std::int64_t line) { return int(line & (kRing - 1)); }

    std::array<std::array<double, kRing>, 2> level_{};
    std::array<bool, kRing> synchronised_{};
    std::array<double, kRing> contrast_{};   // of the frame ending at each line
    std::array<WedgeLevels, 2> frame_{};
    std::int64_t lines_ = 0;
    std::int64_t lastFrameEnd_ = -1;
};

}  // namespace sorae
