#include "capture/subcarrier_pll.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sorae {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kNominalStep = kTwoPi * SubcarrierPll::kSubcarrierHz / SubcarrierPll::kSampleRate;
// Second-order loop, damping 0.707, natural frequency 8 Hz, one update
// per group of samples.
constexpr double kNaturalRadians = kTwoPi * 8.0 * SubcarrierPll::kGroup / SubcarrierPll::kSampleRate;
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
    phase_ = 0.0;
    groupStep_ = 0.0;
    meanAmplitude_ = 0.0;
}

double SubcarrierPll::frequencyOffsetHz() const {
    return groupStep_ / kGroup * kSampleRate / kTwoPi;
}

void SubcarrierPll::process(const double* inPhase, const double* quadrature, int count, double* out) {
    for (int g = 0; g + kGroup <= count; g += kGroup) {
        const double step = kNominalStep + groupStep_ / kGroup;
        const double rotCos = std::cos(step), rotSin = std::sin(step);
        double oscCos = std::cos(phase_), oscSin = std::sin(phase_);
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
        const double amplitude = std::hypot(sumRe, sumIm) / kGroup;
        meanAmplitude_ += kAmplitudeShare * (amplitude - meanAmplitude_);
        if (meanAmplitude_ == 0.0 && amplitude > 0.0) meanAmplitude_ = amplitude;
        double error = 0.0;
        if (meanAmplitude_ > 1e-9 && std::isfinite(sumIm))
            error = std::clamp(sumIm / kGroup / meanAmplitude_, -kMaxError, kMaxError);
        groupStep_ = std::clamp(groupStep_ + kIntegral * error, -kMaxGroupStep, kMaxGroupStep);
        phase_ += kGroup * kNominalStep + groupStep_ + kProportional * error;
        phase_ = std::remainder(phase_, kTwoPi);
    }
}

}  // namespace sorae
