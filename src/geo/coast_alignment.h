// Finds the clock error and a small roll of a pass by fitting the picture's
// land/sea edges to the world outline: the land mask is rendered in picture
// geometry with some rows to spare on either side, and the gradients of both
// channel pictures are correlated with the mask's gradients over row shifts
// (time, half a second a row) and rolls of the scan (which move the coasts
// by more words towards the swath's edges than near nadir). The peak gives
// the correction, its contrast against the rest of the search the confidence.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "geo/swath_geolocation.h"
#include "geo/world_outline.h"

namespace sorae {

struct AlignmentResult {
    bool applied = false;       // confident enough to use
    double timeOffsetSeconds = 0.0;
    double rollDeg = 0.0;
    // How far the outline's coasts lie from the picture's, in rows and columns
    // of the saved picture (the columns where the fitted coasts lie in the
    // middle, as the roll moves them there).
    double rowShift = 0.0;
    double columnShift = 0.0;
    double confidence = 0.0;    // 0..1
    int coastPixels = 0;
    std::string text;           // "time corrected by +2.9 s, confidence 0.93" or "kept: ..."
};

inline constexpr double kAlignMaxSeconds = 10.0;
inline constexpr double kAlignMinConfidence = 0.4;
inline constexpr int kAlignMinCoastPixels = 300;

// `pictures` hold 909 x rows grey values each (row after row as saved); an
// empty one is left out. `inputs` are those the swath was built from. Only
// coasts between the columns `fromColumn` and `toColumn` (exclusive) count,
// so that parts of the swath can be fitted on their own.
AlignmentResult AlignToCoasts(const SwathInputs& inputs, const std::array<std::vector<float>, 2>& pictures,
                              const WorldOutline& outline, int fromColumn = 0, int toColumn = kImageWords);

}  // namespace sorae
