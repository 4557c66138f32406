#include "apt/staircase_recognition.h"

#include <cmath>

namespace sorae {

int recogniseStaircase(const WedgeLevels& w) {
    const double zero = w[8];   // wedge 9, zero modulation
    const double span = w[7] - zero;
    if (!(span > 0.0)) return kNoStaircase;   // also NaN
    const double step = span / 8.0;

    double below = zero;
    for (int k = 0; k < 8; ++k) {
        const double rise = (w[k] - below) / step;
        if (!(rise >= kMinRiseSteps && rise <= kMaxRiseSteps)) return kNoStaircase;
        below = w[k];
    }

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
