#include "geo/apt_scan_angles.h"

#include <algorithm>
#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr int kWords = 909;

// Central angle from nadir to where a line of sight at `scan` meets the sphere.
double CentralAngle(double scan) {
    const double r = kLinearisationEarthRadiusKm, h = kAvhrrReferenceAltitudeKm;
    return std::asin((r + h) / r * std::sin(scan)) - scan;
}

// The scan angle that reaches a given central angle (the inverse of the above).
double ScanForCentralAngle(double beta) {
    const double r = kLinearisationEarthRadiusKm, h = kAvhrrReferenceAltitudeKm;
    return std::atan2(r * std::sin(beta), r + h - r * std::cos(beta));
}
}  // namespace

const AptScanAngles& AptScanAngles::instance() {
    static const AptScanAngles table;
    return table;
}

AptScanAngles::AptScanAngles() {
    // The scan's ends are the outer edges of the first and last words; each
    // word covers an equal share of the central angle between them.
    const double edge = CentralAngle(kAvhrrHalfScanDeg * kPi / 180.0);
    for (int k = 0; k < kWords; ++k) {
        const double beta = edge * ((2.0 * k + 1.0) / kWords - 1.0);
        angles_[k] = ScanForCentralAngle(beta);
    }
}

double AptScanAngles::angleAt(double column) const {
    int k = static_cast<int>(std::floor(column));
    k = std::clamp(k, 0, kWords - 2);
    const double f = column - k;
    return angles_[k] + f * (angles_[k + 1] - angles_[k]);
}

double AptScanAngles::columnOf(double angle) const {
    auto it = std::upper_bound(angles_.begin(), angles_.end(), angle);
    int k = static_cast<int>(it - angles_.begin()) - 1;
    k = std::clamp(k, 0, kWords - 2);
    return k + (angle - angles_[k]) / (angles_[k + 1] - angles_[k]);
}

}  // namespace sorae
