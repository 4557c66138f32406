#include "calibration/thermal_calibration.h"

#include <cmath>
#include <limits>

namespace sorae {
namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

double ThermometerTemperature(const ThermometerCoefficients& c, double count) {
    double t = 0.0, power = 1.0;
    for (const double d : c.d) {
        t += d * power;
        power *= count;
    }
    return t;
}

double BlackbodyTemperature(const SatelliteCoefficients& s, const std::array<double, 4>& counts) {
    double sum = 0.0, weights = 0.0;
    for (int i = 0; i < 4; ++i) {
        sum += s.thermometerWeights[i] * ThermometerTemperature(s.thermometers[i], counts[i]);
        weights += s.thermometerWeights[i];
    }
    return sum / weights;
}

double PlanckRadiance(double wavenumber, double kelvin) {
    return kPlanckC1 * wavenumber * wavenumber * wavenumber /
           std::expm1(kPlanckC2 * wavenumber / kelvin);
}

double PlanckTemperature(double wavenumber, double radiance) {
    if (!(radiance > 0.0)) return kNaN;
    return kPlanckC2 * wavenumber /
           std::log1p(kPlanckC1 * wavenumber * wavenumber * wavenumber / radiance);
}

std::optional<ThermalCalibration> ThermalCalibration::make(const ThermalChannelCoefficients& channel,
                                                           double blackbodyKelvin, double spaceCount,
                                                           double blackbodyCount) {
    if (!std::isfinite(blackbodyKelvin) || !std::isfinite(spaceCount) ||
        !std::isfinite(blackbodyCount) || !(std::fabs(spaceCount - blackbodyCount) > 1e-9) ||
        !(blackbodyKelvin > 0.0))
        return std::nullopt;
    ThermalCalibration c;
    c.c_ = channel;
    c.spaceCount_ = spaceCount;
    c.blackbodyCount_ = blackbodyCount;
    // the blackbody's effective temperature in the band, then its radiance
    const double effective = channel.bandA + channel.bandB * blackbodyKelvin;
    c.blackbodyRadiance_ = PlanckRadiance(channel.centralWavenumber, effective);
    return c;
}

double ThermalCalibration::temperature(double sceneCount) const {
    const double ns = c_.spaceRadiance;
    const double linear = ns + (blackbodyRadiance_ - ns) * (spaceCount_ - sceneCount) /
                                   (spaceCount_ - blackbodyCount_);
    const double corrected = linear + c_.b0 + c_.b1 * linear + c_.b2 * linear * linear;
    const double effective = PlanckTemperature(c_.centralWavenumber, corrected);
    return (effective - c_.bandA) / c_.bandB;
}

double ThermalCalibration::count(double kelvin) const {
    const double radiance = PlanckRadiance(c_.centralWavenumber, c_.bandA + c_.bandB * kelvin);
    // radiance = b0 + (1 + b1) L + b2 L^2, solved for the linear radiance L
    // (the root near radiance, the correction being small)
    double linear;
    const double a = c_.b2, b = 1.0 + c_.b1, k = c_.b0 - radiance;
    if (std::fabs(a) < 1e-15) {
        linear = -k / b;
    } else {
        const double disc = b * b - 4.0 * a * k;
        if (disc < 0.0) return kNaN;
        linear = 2.0 * (-k) / (b + std::sqrt(disc));   // the stable form of the smaller root
    }
    const double ns = c_.spaceRadiance;
    return spaceCount_ - (linear - ns) * (spaceCount_ - blackbodyCount_) / (blackbodyRadiance_ - ns);
}

}  // namespace sorae
