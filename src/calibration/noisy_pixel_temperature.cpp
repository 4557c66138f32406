#include "calibration/noisy_pixel_temperature.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorae {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The Gaussian is summed out to this many standard deviations.
constexpr double kKernelReach = 5.0;
// Grid steps per standard deviation of the noise (and never finer than a
// quarter count): the corrected curve is smooth on that scale.
constexpr double kStepsPerSigma = 8.0;
constexpr double kFinestStep = 0.25;
// Warm scenes have low counts; the grid reaches this far below count 0.
constexpr double kWarmMargin = 64.0;
// Practically nothing is left of any thermal channel's radiance here.
constexpr double kNoRadianceKelvin = 100.0;
// Pixels farther beyond the floor than this many noise widths are not
// noise: no value.
constexpr double kReachBeyondFloor = 6.0;
// Steps of the correction; the third changes block means by hundredths.
constexpr int kCorrectionSteps = 3;

}  // namespace

NoisyPixelTemperature::NoisyPixelTemperature(const ThermalCalibration& calibration, double noiseCounts)
    : calibration_(calibration), noise_(std::isfinite(noiseCounts) ? std::max(noiseCounts, 0.0) : 0.0) {
    // the floor: kFloorKelvin, or one noise's width short of no radiance
    // (where a word's noise spans more than the whole of T's curve)
    floorCount_ = std::min(calibration_.count(kFloorKelvin), calibration_.count(kNoRadianceKelvin) - noise_);
    if (!std::isfinite(floorCount_)) return;
    // the tangent's slope, from a step on the warm side of the floor
    constexpr double h = 0.5;
    floorSlope_ = (calibration_.temperature(floorCount_) - calibration_.temperature(floorCount_ - h)) / h;
    if (!std::isfinite(floorSlope_)) return;
    lastCount_ = floorCount_ + kReachBeyondFloor * noise_;
    if (noise_ < kNegligibleNoiseCounts) return;

    gridStep_ = std::max(kFinestStep, noise_ / kStepsPerSigma);
    const int reach = int(std::ceil(kKernelReach * noise_ / gridStep_));
    gridFirst_ = std::min(0.0, floorCount_) - kWarmMargin - 4.0 * noise_;
    const int points = int(std::ceil((lastCount_ - gridFirst_) / gridStep_)) + 2;
    // T on the grid widened by the kernel's reach either side
    std::vector<double> t(std::size_t(points + 2 * reach));
    for (int i = 0; i < int(t.size()); ++i) t[std::size_t(i)] = plain(gridFirst_ + (i - reach) * gridStep_);
    std::vector<double> kernel(std::size_t(2 * reach + 1));
    double weights = 0.0;
    for (int k = -reach; k <= reach; ++k) {
        const double z = k * gridStep_ / noise_;
        kernel[std::size_t(k + reach)] = std::exp(-0.5 * z * z);
        weights += kernel[std::size_t(k + reach)];
    }
    // g <- g + (T - E[g(c + n)]), starting from g = T: the first step gives
    // 2 T - E[T(c + n)], each further one takes out what the last left
    // (the grid's ends, within the kernel's reach, stay T)
    std::vector<double> g = t, next = t;
    for (int step = 0; step < kCorrectionSteps; ++step) {
        for (int i = reach; i + reach < int(t.size()); ++i) {
            double expected = 0.0;
            for (int k = -reach; k <= reach; ++k) expected += kernel[std::size_t(k + reach)] * g[std::size_t(i + k)];
            next[std::size_t(i)] = g[std::size_t(i)] + t[std::size_t(i)] - expected / weights;
        }
        g = next;
    }
    grid_.assign(g.begin() + reach, g.begin() + reach + points);
    corrected_ = true;
}

double NoisyPixelTemperature::plain(double count) const {
    if (count <= floorCount_) return calibration_.temperature(count);
    return calibration_.temperature(floorCount_) + (count - floorCount_) * floorSlope_;
}

double NoisyPixelTemperature::operator()(double count) const {
    if (!corrected_) return calibration_.temperature(count);
    if (!(count <= lastCount_)) return kNaN;
    const double x = (count - gridFirst_) / gridStep_;
    if (x < 0.0) return plain(count) + (grid_[0] - plain(gridFirst_));   // far warmer than any scene
    const std::size_t i = std::min(std::size_t(x), grid_.size() - 2);
    const double f = x - double(i);
    return grid_[i] + f * (grid_[i + 1] - grid_[i]);
}

}  // namespace sorae
