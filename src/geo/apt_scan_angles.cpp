#include "geo/apt_scan_angles.h"

#include <algorithm>
#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr int kWords = 909;

// Central angle from nadir to where a line of sight at `scan` meets the sphere
// (signed like the scan angle).
double CentralAngle(double scan) {
    const double r = kLinearisationEarthRadiusKm, h = kAptTableDesignAltitudeKm;
    return std::asin((r + h) / r * std::sin(scan)) - scan;
}

}  // namespace

const AptScanAngles& AptScanAngles::instance() {
    static const AptScanAngles table;
    return table;
}

AptScanAngles::AptScanAngles() {
    // Ground covered by each AVHRR sample (sample centres, km).
    constexpr int kSamples = 2048;
    const double half = kAvhrrHalfScanDeg * kPi / 180.0;
    const double step = 2.0 * half / kSamples;
    std::array<double, kSamples> ground{};
    for (int i = 0; i < kSamples; ++i) {
        const double a = -half + i * step, b = a + step;
        ground[i] = kLinearisationEarthRadiusKm * std::abs(CentralAngle(std::abs(b) < std::abs(a) ? a : b) -
                                                           CentralAngle(std::abs(b) < std::abs(a) ? b : a));
    }
    // A word stands for `spacing` km of ground, or for one whole sample where
    // a sample is wider than that (towards the ends of the scan). Find the
    // spacing that makes the 2048 samples come to 909 words.
    auto words = [&](double spacing) {
        double n = 0.0;
        for (double g : ground) n += std::min(1.0, g / spacing);
        return n;
    };
    double lo = 0.1, hi = 50.0;
    for (int i = 0; i < 80; ++i) {
        const double mid = 0.5 * (lo + hi);
        (words(mid) > kWords ? lo : hi) = mid;
    }
    const double spacing = 0.5 * (lo + hi);
    // word centres: where the running word count passes k + 1/2
    double position = 0.0;
    int sample = 0;
    for (int k = 0; k < kWords; ++k) {
        const double target = k + 0.5;
        double share = std::min(1.0, ground[sample] / spacing);
        while (position + share < target && sample < kSamples - 1) {
            position += share;
            ++sample;
            share = std::min(1.0, ground[sample] / spacing);
        }
        angles_[k] = -half + (sample + (target - position) / share) * step;
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
