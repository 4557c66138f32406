#include "capture/subcarrier_pll.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sorae {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kNominalStep = kTwoPi * SubcarrierPll::kSubcarrierHz / SubcarrierPll::kSampleRate;
// Second-order loop, damping 0.707, natural frequency 3 Hz, one update
// per group of samples. Its phase detector is weighted by the amplitude,
// so over dark stretches of the line the loop holds less firmly and the
// noise turns its phase further: the in-phase output loses cos(phase
// error) there more than over bright ones, which bends the greys (at 8 Hz
// the dark-mid greys of a 5 dB recording at 11025 Hz came out most of a
// level low; at 3 Hz about a third of one). A recorder's clock error of a
// few hundred ppm moves the subcarrier by under a hertz, which the loop
// still follows without a lasting phase error.
constexpr double kNaturalRadians = kTwoPi * 3.0 * SubcarrierPll::kGroup / SubcarrierPll::kSampleRate;
constexpr double kProportional = 2.0 * 0.7071 * kNaturalRadians;
constexpr double kIntegral = kNaturalRadians * kNaturalRadians;
// The amplitude the detector is scaled by follows the signal over about
// half a second (750 groups).
constexpr double kAmplitudeShare = 1.0 / 750.0;
// A click or the start of a signal moves the phase by at most this much
// per group.
constexpr double kMaxError = 0.5;
// The frequency offset is held within +-20 Hz.
constexpr double kMaxGroupStep = kTwoPi * 20.0 * SubcarrierPll::kGroup / SubcarrierPll::kSampleRate;

}  // namespace

void SubcarrierPll::reset() {
    oscCos_ = 1.0;
    oscSin_ = 0.0;
    groupStep_ = 0.0;
    meanAmplitude_ = 0.0;
}

double SubcarrierPll::frequencyOffsetHz() const {
    return groupStep_ / kGroup * kSampleRate / kTwoPi;
}

double SubcarrierPll::phase() const { return std::atan2(oscSin_, oscCos_); }

void SubcarrierPll::process(const double* inPhase, const double* quadrature, int count, double* out) {
    // The oscillator is a unit phasor turned sample by sample; its small
    // corrections are turned by the second-order series of the sine and
    // cosine (the angles stay below a few hundredths of a radian, and the
    // loop takes out what the series leaves), so no sine is computed.
    static const double nominalCos = std::cos(kNominalStep), nominalSin = std::sin(kNominalStep);
    double oscCos = oscCos_, oscSin = oscSin_;
    for (int g = 0; g + kGroup <= count; g += kGroup) {
        const double d = groupStep_ / kGroup;
        const double dCos = 1.0 - 0.5 * d * d;
        const double rotCos = nominalCos * dCos - nominalSin * d;
        const double rotSin = nominalSin * dCos + nominalCos * d;
        double sumRe = 0.0, sumIm = 0.0;
        for (int k = g; k < g + kGroup; ++k) {
            const double p = inPhase[k], q = quadrature[k];
            // (p + jq) times the conjugate of the oscillator
            const double re = p * oscCos + q * oscSin;
            const double im = q * oscCos - p * oscSin;
            out[k] = re;
            sumRe += re;
            sumIm += im;
            const double c = oscCos * rotCos - oscSin * rotSin;
            oscSin = oscSin * rotCos + oscCos * rotSin;
            oscCos = c;
        }
        const double amplitude = std::sqrt(sumRe * sumRe + sumIm * sumIm) / kGroup;
        meanAmplitude_ += kAmplitudeShare * (amplitude - meanAmplitude_);
        if (meanAmplitude_ == 0.0 && amplitude > 0.0) meanAmplitude_ = amplitude;
        double error = 0.0;
        if (meanAmplitude_ > 1e-9 && std::isfinite(sumIm))
            error = std::clamp(sumIm / kGroup / meanAmplitude_, -kMaxError, kMaxError);
        groupStep_ = std::clamp(groupStep_ + kIntegral * error, -kMaxGroupStep, kMaxGroupStep);
        // Turn by the proportional correction, and back onto the unit circle.
        const double a = kProportional * error;
        const double aCos = 1.0 - 0.5 * a * a;
        const double c = oscCos * aCos - oscSin * a;
        oscSin = oscSin * aCos + oscCos * a;
        oscCos = c;
        const double norm = 1.5 - 0.5 * (oscCos * oscCos + oscSin * oscSin);
        oscCos *= norm;
        oscSin *= norm;
    }
    oscCos_ = oscCos;
    oscSin_ = oscSin;
}

}  // namespace sorae
