// Where the telemetry frames lie among the stored lines. The frame repeats
// every 128 lines (64 s of the satellite's clock) in both channel halves:
// 16 wedges of 8 lines, wedges 1..8 rising by eighths to white, wedge 9
// black. The drop from wedge 8 to wedge 9 is the sharpest step of the
// frame, one line wide, so the line it falls on fixes the frame's phase.
#pragma once

#include <optional>
#include <vector>

#include "apt/line_store.h"

namespace sorae {

// Both channels' telemetry level (the middle of each half's telemetry
// words) of stored lines 0..lines-1.
std::vector<double> TelemetryLevels(const LineStore& store, int lines);

// The stored line number, modulo 128, of the first line of the frames in
// lines first..last: where the drop from wedge 8 to wedge 9, averaged over
// the frames, stands well above any other step of the cycle and wedges
// 2..9 around it (all of them) rise like the staircase they are. Nothing
// where the lines hold no such drop and staircase (too few lines, noise).
std::optional<int> TelemetryFramePhase(const std::vector<double>& level, int first, int last);

// The Pearson correlation of two series of the same length (0 when one is flat).
double PearsonCorrelation(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace sorae
