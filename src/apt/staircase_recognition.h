// Recognition of the telemetry staircase from the 16 wedge levels of one
// frame, relative to its own steps so that it does not depend on the signal
// level: wedges 1..8 must rise from wedge 9 in roughly equal steps of an
// eighth of their span. Failing that, a loud recording may have clipped the
// brighter levels (a clipped carrier still grows a little): then wedges
// 1..3 must rise evenly, their step measured over them, and wedges 4..8 may
// rise less or level off but never fall by much. Wedge 16 must lie close to
// one of wedges 1..6 to name a sensor.
#pragma once

#include <array>
#include <optional>

namespace sorae {

using WedgeLevels = std::array<double, 16>;   // index 0 = wedge 1

inline constexpr int kNoStaircase = -1;   // the levels are not a staircase
inline constexpr int kNoSensorWedge = 0;  // a staircase whose wedge 16 matches none of 1..6

// Each rise of an even staircase lies within this range of one step.
inline constexpr double kMinRiseSteps = 0.4;
inline constexpr double kMaxRiseSteps = 1.6;
// A clipped staircase: its first three rises closer to one step, the rises
// above them no larger than a step and at least a little below zero (noise
// on a level top), as clipping only ever shrinks them.
inline constexpr int kClippedEvenWedges = 3;
inline constexpr double kMinClippedEvenRise = 0.6;
inline constexpr double kMaxClippedEvenRise = 1.4;
inline constexpr double kMinCompressedRise = -0.1;
inline constexpr double kMaxCompressedRise = 1.2;
// Wedge 16 names the nearest of wedges 1..6 when it lies closer than this
// fraction of a step to it.
inline constexpr double kMatchSteps = 0.4;

// kNoStaircase, kNoSensorWedge, or the wedge 1..6 that wedge 16 repeats.
int recogniseStaircase(const WedgeLevels& wedges);

// The step of the staircase (an eighth of wedge 8 over wedge 9, or as
// measured over the first wedges of a clipped one); nothing when the
// levels are no staircase.
std::optional<double> staircaseStep(const WedgeLevels& wedges);

// The levels of zero modulation and full white that the straight line
// fitted (least squares) through wedge 9 at 0 and wedges 1..8 at 1..8
// gives at 0 and 8: nine wedges instead of two, so less noise, and a
// detector that is not quite linear is fitted over the whole range.
// Nothing when a wedge lies further than kMaxFitResidualSteps from the
// line (a clipped or compressed top, or too much noise): wedges 8 and 9
// then calibrate alone.
struct StaircaseEnds {
    double zero = 0.0;
    double white = 0.0;
};
inline constexpr double kMaxFitResidualSteps = 0.3;
std::optional<StaircaseEnds> fittedStaircaseEnds(const WedgeLevels& wedges);

// The wedge 1..6 nearest to `position` (wedge 16 over wedge 9, in steps)
// when it lies within `withinSteps` of it, else kNoSensorWedge.
int nearestSensorWedge(double position, double withinSteps);

}  // namespace sorae
