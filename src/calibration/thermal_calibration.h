// The radiometric chain of one thermal channel, as the AVHRR's own
// calibration works: the blackbody temperature from the thermometer counts,
// its radiance through the Planck function with the channel's band
// correction, a straight line in radiance through the space view and the
// blackbody view, the non-linear correction, and back to a brightness
// temperature. Counts are 10-bit (0..1023); the APT words carry their upper
// 8 bits.
#pragma once

#include <array>
#include <optional>

#include "calibration/avhrr_coefficients.h"

namespace sorae {

// Thermometer temperature (K) of a 10-bit count.
double ThermometerTemperature(const ThermometerCoefficients& c, double count);

// The weighted mean of the four thermometer temperatures (K).
double BlackbodyTemperature(const SatelliteCoefficients& s, const std::array<double, 4>& counts);

// Planck radiance (mW/(m2 sr cm-1)) at a wavenumber (cm-1) and temperature
// (K), and its inverse; the inverse of a radiance at or below zero is NaN.
double PlanckRadiance(double wavenumber, double kelvin);
double PlanckTemperature(double wavenumber, double radiance);

// The 10-bit count of the middle of an 8-bit APT word's range: the word
// keeps the upper 8 bits, so counts 4w .. 4w+3 all become w.
inline double CountOfWord(double word) { return 4.0 * word + 1.5; }

class ThermalCalibration {
public:
    // Nothing when the two views give no usable line (equal counts).
    static std::optional<ThermalCalibration> make(const ThermalChannelCoefficients& channel,
                                                  double blackbodyKelvin, double spaceCount,
                                                  double blackbodyCount);

    // Brightness temperature (K) of a scene count; NaN where the radiance
    // comes to nothing (colder than the channel can tell).
    double temperature(double sceneCount) const;
    // The scene count that gives a temperature (the inverse, for test
    // passes); NaN when no count does.
    double count(double kelvin) const;

    double blackbodyRadiance() const { return blackbodyRadiance_; }

private:
    ThermalChannelCoefficients c_;
    double spaceCount_ = 0.0, blackbodyCount_ = 0.0;
    double blackbodyRadiance_ = 0.0;
};

}  // namespace sorae
