// Fixed filter tables of the demodulator. The values are design results
// (8th-order Butterworth low-passes as four biquad sections, bilinear
// transform, unit gain at DC; a second-order Butterworth DC-removal
// high-pass; two 51-tap FIRs stored by their independent halves) and are
// used exactly as written, never recomputed from their cutoffs.
//
// Biquads are direct form II with a1 and a2 stored already negated:
//   w = x + a1*w1 + a2*w2;  y = b0*w + b1*w1 + b2*w2;  w2 = w1;  w1 = w.
#pragma once

#include <array>

namespace sorae::demod {

struct BiquadCoefficients {
    double a1, a2, b0, b1, b2;
};

using CascadeCoefficients = std::array<BiquadCoefficients, 4>;

// 96 kHz, cutoff 20 kHz: the quadrature stage's anti-alias low-pass.
inline constexpr CascadeCoefficients kQuadratureLowPass96k{{
    {0.26581451, -0.02702839, 0.19030347, 0.38060694, 0.19030347},
    {0.28707625, -0.10917746, 0.2055253, 0.41105061, 0.2055253},
    {0.33686368, -0.30154133, 0.24116941, 0.48233882, 0.24116941},
    {0.43555996, -0.68287446, 0.31182862, 0.62365725, 0.31182862},
}};

// 48 kHz, cutoff 5 kHz: before decimation to 12 kHz.
inline constexpr CascadeCoefficients kAudioLowPass48k{{
    {0.99351462, -0.25229777, 0.06469579, 0.12939158, 0.06469579},
    {1.05347353, -0.32787433, 0.0686002, 0.1372004, 0.0686002},
    {1.18569358, -0.49453405, 0.07721012, 0.15442023, 0.07721012},
    {1.41826823, -0.78768798, 0.09235494, 0.18470988, 0.09235494},
}};

// 24 kHz, cutoff 2080 Hz: the interpolation filter of the envelope.
inline constexpr CascadeCoefficients kInterpolationLowPass24k{{
    {1.13438024, -0.32619551, 0.04795382, 0.09590763, 0.04795382},
    {1.19570851, -0.39789393, 0.05054636, 0.10109271, 0.05054636},
    {1.32841125, -0.55303572, 0.05615612, 0.11231224, 0.05615612},
    {1.55370763, -0.81642805, 0.0656801, 0.13136021, 0.0656801},
}};

// 48 kHz DC-removal high-pass after the FM discriminator, -3 dB at 5 Hz.
inline constexpr BiquadCoefficients kDcRemovalHighPass48k{
    1.9990743995, -0.99907482762, 1.0, -2.0, 1.0};

inline constexpr int kFirTaps = 51;
inline constexpr int kFirCentre = 25;
using FirTaps = std::array<double, kFirTaps>;

// SubcarrierBandPass at 12 kHz, h[0] .. h[25]; symmetric, h[50 - k] = h[k].
// Passband 320-4480 Hz at -6 dB.
inline constexpr std::array<double, 26> kSubcarrierBandPassHalf{
    0.00326310294, 0.00126884414, 0.000414262336, 0.00563246697, -0.00218556492,
    0.00229120834, 0.00389853696, -0.00855179062, 0.00481121073, -0.00643929871,
    -0.0143626258, 0.00388324704, -0.02639342, -0.014676222, -0.00743745509,
    -0.0500830426, -0.00666317426, -0.03627161, -0.0639831098, 0.00750734439,
    -0.0893617873, -0.0444452606, 0.0210808507, -0.209547664, 0.173944278,
    0.693333333};

// EnvelopeHilbert at 12 kHz: the taps at distance 1, 3, ... 25 before the
// centre, i.e. h[24], h[22], ... h[0]. Antisymmetric, h[50 - k] = -h[k];
// every tap at an even distance from the centre (odd k, and k = 25) is 0.
inline constexpr std::array<double, 13> kEnvelopeHilbertBeforeCentre{
    -0.635081148, -0.207625476, -0.119803225, -0.0806522041, -0.0578935177,
    -0.042756742, -0.0318879867, -0.0237307016, -0.017460947, -0.0125953651,
    -0.00882375805, -0.00592987191, -0.00589720752};

constexpr FirTaps expandSymmetric(const std::array<double, 26>& half) {
    FirTaps h{};
    for (int k = 0; k <= kFirCentre; ++k) {
        h[k] = half[k];
        h[kFirTaps - 1 - k] = half[k];
    }
    return h;
}

constexpr FirTaps expandAntisymmetric(const std::array<double, 13>& beforeCentre) {
    FirTaps h{};  // zero taps stay +0.0
    for (int m = 0; m < 13; ++m) {
        const int k = kFirCentre - 1 - 2 * m;  // 24, 22, ... 0
        h[k] = beforeCentre[m];
        h[kFirTaps - 1 - k] = -beforeCentre[m];
    }
    return h;
}

inline constexpr FirTaps kSubcarrierBandPass = expandSymmetric(kSubcarrierBandPassHalf);
inline constexpr FirTaps kEnvelopeHilbert = expandAntisymmetric(kEnvelopeHilbertBeforeCentre);

}  // namespace sorae::demod
