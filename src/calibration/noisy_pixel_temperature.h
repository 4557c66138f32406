// Brightness temperatures of single pixels of a noisy pass, such that the
// mean over an area comes out as the area's temperature.
//
// The noise of a received word is symmetric in counts, but the temperature
// is a curved function of the count: steep where the scene is cold (little
// radiance), flat where it is warm. Averaged over an area, the noisy pixels'
// temperatures therefore come out colder than the area is, by half the
// curvature times the noise's variance: a few tenths of a kelvin at 20 dB,
// several kelvin over cold cloud at 10 dB, where a noisy word can also land
// beyond the count of no radiance at all and have no temperature.
//
// Given the noise of one word (in counts, measured on the space view, which
// is flat), each count gets g(c) with E[g(c + n)] = T(c) over the noise:
// first 2 T(c) - E[T(c + n)], the temperature less the bias that noise of
// that size gives there, then the same step on what is left, a few times.
// Past a floor, T is continued along its tangent, so that a cold pixel
// pushed beyond the count of no radiance still gets a value and the mean
// over the area stays whole. The floor is kFloorKelvin, far under any
// scene, or, with more noise, one noise width short of the count of no
// radiance: nearer to it the curve bends more within a noise width than
// any correction can undo. Where the noise is negligible the temperatures
// are those of the calibration itself (NaN past the count of no radiance).
#pragma once

#include <vector>

#include "calibration/thermal_calibration.h"

namespace sorae {

class NoisyPixelTemperature {
public:
    // Noise below this (counts, one word's standard deviation) is left alone.
    static constexpr double kNegligibleNoiseCounts = 0.1;
    static constexpr double kFloorKelvin = 150.0;

    NoisyPixelTemperature(const ThermalCalibration& calibration, double noiseCounts);

    // The temperature (K) to give a pixel of this scene count; with noise,
    // NaN beyond the floor by more than six times the noise.
    double operator()(double count) const;

    double noiseCounts() const { return noise_; }

private:
    double plain(double count) const;   // T, continued along its tangent below the floor

    ThermalCalibration calibration_;
    double noise_ = 0.0;
    bool corrected_ = false;
    double floorCount_ = 0.0;   // count of kFloorKelvin (counts rise as scenes get colder)
    double floorSlope_ = 0.0;   // dT/dcount there
    double lastCount_ = 0.0;    // counts above this have no value
    // the corrected temperatures on a grid of counts, linearly interpolated
    double gridFirst_ = 0.0, gridStep_ = 1.0;
    std::vector<double> grid_;
};

}  // namespace sorae
