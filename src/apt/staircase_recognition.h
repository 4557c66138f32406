// Recognition of the telemetry staircase from the 16 wedge levels of one
// frame, relative to its own span (wedge 8 minus wedge 9), so that it does
// not depend on the signal level: wedges 1..8 must rise from wedge 9 in
// roughly equal steps of an eighth of the span, and wedge 16 must lie close
// to one of wedges 1..6 to name a sensor.
#pragma once

#include <array>

namespace sorae {

using WedgeLevels = std::array<double, 16>;   // index 0 = wedge 1

inline constexpr int kNoStaircase = -1;   // the levels are not a staircase
inline constexpr int kNoSensorWedge = 0;  // a staircase whose wedge 16 matches none of 1..6

// Each of the nine rises wedge 9 -> 1 -> 2 ... -> 8 must lie within this
// range of one step (span / 8). The upper wedges may be compressed when
// the input clips, hence the generous lower bound.
inline constexpr double kMinRiseSteps = 0.4;
inline constexpr double kMaxRiseSteps = 1.6;
// Wedge 16 names the nearest of wedges 1..6 when it lies closer than this
// fraction of a step to it.
inline constexpr double kMatchSteps = 0.4;

// kNoStaircase, kNoSensorWedge, or the wedge 1..6 that wedge 16 repeats.
int recogniseStaircase(const WedgeLevels& wedges);

}  // namespace sorae
