#include "apt/staircase_recognition.h"

#include <cmath>
#include <optional>

namespace sorae {

namespace {

struct RiseBounds {
    double least, most;  // in steps
};

// The step of the staircase when its wedges rise from wedge 9 within the
// bounds, the first `regular` of them evenly: the step is measured over
// those; nothing when the levels are no such staircase.
std::optional<double> stepOf(const WedgeLevels& w, int regular, RiseBounds even, RiseBounds upper) {
    const double zero = w[8];   // wedge 9, zero modulation
    const double regularSpan = w[regular - 1] - zero;
    if (!(regularSpan > 0.0)) return std::nullopt;   // also NaN
    const double step = regularSpan / regular;
    double below = zero;
    for (int k = 0; k < 8; ++k) {
        const double rise = (w[k] - below) / step;
        const RiseBounds& b = k < regular ? even : upper;
        if (!(rise >= b.least && rise <= b.most)) return std::nullopt;
        below = w[k];
    }
    return step;
}

}  // namespace

std::optional<double> staircaseStep(const WedgeLevels& w) {
    // Even steps all the way up; else the brighter wedges clipped.
    const RiseBounds even{kMinRiseSteps, kMaxRiseSteps};
    std::optional<double> found = stepOf(w, 8, even, even);
    if (!found)
        found = stepOf(w, kClippedEvenWedges, {kMinClippedEvenRise, kMaxClippedEvenRise},
                       {kMinCompressedRise, kMaxCompressedRise});
    return found;
}

std::optional<StaircaseEnds> fittedStaircaseEnds(const WedgeLevels& w) {
    // x = 0 for wedge 9, k for wedge k; mean x 4, sum of (x - 4)^2 = 60
    auto at = [&](int x) { return x == 0 ? w[8] : w[std::size_t(x - 1)]; };
    double mean = 0.0;
    for (int x = 0; x <= 8; ++x) mean += at(x);
    mean /= 9.0;
    double slope = 0.0;
    for (int x = 0; x <= 8; ++x) slope += (x - 4.0) * (at(x) - mean);
    slope /= 60.0;
    if (!(slope > 0.0)) return std::nullopt;   // also NaN
    for (int x = 0; x <= 8; ++x)
        if (std::abs(at(x) - (mean + (x - 4.0) * slope)) > kMaxFitResidualSteps * slope) return std::nullopt;
    return StaircaseEnds{mean - 4.0 * slope, mean + 4.0 * slope};
}

int nearestSensorWedge(double position, double withinSteps) {
    const double k = std::round(position);
    if (!(k >= 1.0 && k <= 6.0) || !(std::abs(position - k) < withinSteps)) return kNoSensorWedge;
    return int(k);
}

int recogniseStaircase(const WedgeLevels& w) {
    const std::optional<double> found = staircaseStep(w);
    if (!found) return kNoStaircase;
    const double step = *found;

    const double wedge16 = w[15];
    int nearest = kNoSensorWedge;
    double nearestDistance = kMatchSteps * step;
    for (int k = 1; k <= 6; ++k) {
        const double d = std::abs(wedge16 - w[k - 1]);
        if (d < nearestDistance) {
            nearestDistance = d;
            nearest = k;
        }
    }
    return nearest;
}

}  // namespace sorae
