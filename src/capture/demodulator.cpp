#include "capture/demodulator.h"

#include "capture/demod_coefficients.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// Speed notes. Every result here is bit-identical to filtering one section
// over the whole block after another, with shifting delay lines and a sine
// and cosine per frame; only the order in which independent work is done
// differs:
//  - the sections of a cascade run per sample, so their dependency chains
//    overlap instead of running one after another;
//  - after a decimation only the kept samples need the last section's
//    output, but its state is advanced on every sample;
//  - FIRs read a history buffer instead of shifting a delay line; each
//    output still sums h[0]*d[0] + ... + h[50]*d[50] from 0.0 in that order;
//  - the Hilbert transformer's zero taps are skipped. Adding h*d = +-0 to a
//    running sum that started at +0.0 never changes it, so this is exact.

namespace sorae {

namespace {

using demod::BiquadCoefficients;
using demod::CascadeCoefficients;

inline double biquadStep(const BiquadCoefficients& c, double& w1, double& w2, double x) {
    const double w = x + c.a1 * w1 + c.a2 * w2;
    const double y = c.b0 * w + c.b1 * w1 + c.b2 * w2;
    w2 = w1;
    w1 = w;
    return y;
}

// Advances a section whose output is not needed.
inline void biquadAdvance(const BiquadCoefficients& c, double& w1, double& w2, double x) {
    const double w = x + c.a1 * w1 + c.a2 * w2;
    w2 = w1;
    w1 = w;
}

// Local copy of one cascade's state, so that the loops keep it in registers
// rather than reloading it around every store to the output.
struct LocalCascade {
    double w1[4];
    double w2[4];

    template <typename Cascade>
    explicit LocalCascade(const Cascade& c) {
        for (int s = 0; s < 4; ++s) {
            w1[s] = c[s].w1;
            w2[s] = c[s].w2;
        }
    }
    template <typename Cascade>
    void storeTo(Cascade& c) const {
        for (int s = 0; s < 4; ++s) {
            c[s].w1 = w1[s];
            c[s].w2 = w2[s];
        }
    }
    // All four sections, output wanted.
    double step(const CascadeCoefficients& k, double x) {
        x = biquadStep(k[0], w1[0], w2[0], x);
        x = biquadStep(k[1], w1[1], w2[1], x);
        x = biquadStep(k[2], w1[2], w2[2], x);
        return biquadStep(k[3], w1[3], w2[3], x);
    }
    // All four sections, output dropped by the decimation that follows.
    void advance(const CascadeCoefficients& k, double x) {
        x = biquadStep(k[0], w1[0], w2[0], x);
        x = biquadStep(k[1], w1[1], w2[1], x);
        x = biquadStep(k[2], w1[2], w2[2], x);
        biquadAdvance(k[3], w1[3], w2[3], x);
    }
};

inline double wrapPhaseStep(double x) {
    constexpr double pi = std::numbers::pi;
    if (x < -pi) return x + 2.0 * pi;
    if (x > pi) return x - 2.0 * pi;
    return x;
}

}  // namespace

Demodulator::Demodulator()
    : decimatedI_(kFramesPerBlock48k, 0.0),
      decimatedQ_(kFramesPerBlock48k, 0.0),
      bandPassInput_(kFirHistory + kDecimatedSamples, 0.0),
      hilbertInput_(kFirHistory + kDecimatedSamples, 0.0),
      envelope_(kDecimatedSamples, 0.0) {
    // The mixer phase starts at 0 and steps by -pi/2 per frame, brought back
    // into one turn when it reaches -2 pi. The stepping is exact in binary
    // (pi's last mantissa bits are zero), so after four frames the phase is
    // exactly 0 again and the four values below repeat for ever.
    constexpr double pi = std::numbers::pi;
    double phase = 0.0;
    for (int n = 1; n <= 4; ++n) {
        phase = phase - pi / 2.0;
        if (phase <= -2.0 * pi) phase += 2.0 * pi;
        mixerSin_[n & 3] = std::sin(phase);
        mixerCos_[n & 3] = std::cos(phase);
    }
}

void Demodulator::clearQuadratureLowPass() {
    for (Cascade& c : quadLowPass_) c = Cascade{};
}

void Demodulator::demodulateQuadrature(const double* left, const double* right, int frames,
                                       double gainLinear, double* demodOutput) {
    frames = std::clamp(frames, 0, kFramesPerBlock96k);
    const CascadeCoefficients& lp = demod::kQuadratureLowPass96k;

    // Mixer (x j e^(-j phase): +24 kHz), 20 kHz low-pass on both channels,
    // and decimation by 2 keeping the even frames of the block.
    LocalCascade fi(quadLowPass_[0]);
    LocalCascade fq(quadLowPass_[1]);
    int step = mixerStep_;
    double* decI = decimatedI_.data();
    double* decQ = decimatedQ_.data();
    int kept = 0;
    for (int i = 0; i < frames; ++i) {
        step = (step + 1) & 3;
        const double s = mixerSin_[step];
        const double c = mixerCos_[step];
        const double inI = left[i];
        const double inQ = right[i];
        const double mixedI = inI * s - inQ * c;
        const double mixedQ = inI * c + inQ * s;
        if ((i & 1) == 0) {
            decI[kept] = fi.step(lp, mixedI);
            decQ[kept] = fq.step(lp, mixedQ);
            ++kept;
        } else {
            fi.advance(lp, mixedI);
            fq.advance(lp, mixedQ);
        }
    }
    fi.storeTo(quadLowPass_[0]);
    fq.storeTo(quadLowPass_[1]);
    mixerStep_ = step;

    // FM discriminator: theta = atan2(I, Q); the step from the previous
    // theta (the last one of the previous block for the first sample) is
    // the increase of arg(I + jQ). Then gain and the 5 Hz DC removal.
    const BiquadCoefficients& hp = demod::kDcRemovalHighPass48k;
    double hw1 = dcHighPass_.w1;
    double hw2 = dcHighPass_.w2;
    double previous = previousTheta_;
    for (int i = 0; i < kept; ++i) {
        const double vi = decI[i];
        const double vq = decQ[i];
        const double theta = (vi == 0.0 && vq == 0.0) ? 0.0 : std::atan2(vi, vq);
        const double d = wrapPhaseStep(previous - theta);
        previous = theta;
        demodOutput[i] = biquadStep(hp, hw1, hw2, d * 1000.0 * gainLinear);
    }
    dcHighPass_.w1 = hw1;
    dcHighPass_.w2 = hw2;
    previousTheta_ = previous;
}

void Demodulator::demodulateEnvelope(double* demodOutput) {
    static_assert(kDecimatedSamples % 4 == 0, "the FIR loops work four outputs at a time");
    // 5 kHz low-pass at 48 kHz and decimation by 4 into the band-pass input.
    {
        const CascadeCoefficients& lp = demod::kAudioLowPass48k;
        LocalCascade f(audioLowPass_);
        double* dec = bandPassInput_.data() + kFirHistory;
        for (int j = 0; j < kDecimatedSamples; ++j) {
            const double* x = demodOutput + 4 * j;
            dec[j] = f.step(lp, x[0]);
            f.advance(lp, x[1]);
            f.advance(lp, x[2]);
            f.advance(lp, x[3]);
        }
        f.storeTo(audioLowPass_);
    }

    // Subcarrier band-pass (all 51 taps), four outputs at a time with
    // independent sums.
    {
        const demod::FirTaps& h = demod::kSubcarrierBandPass;
        const double* x = bandPassInput_.data() + kFirHistory;
        double* v = hilbertInput_.data() + kFirHistory;
        for (int n = 0; n < kDecimatedSamples; n += 4) {
            double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
            for (int k = 0; k < kFirTaps; ++k) {
                const double hk = h[k];
                s0 += hk * x[n - k];
                s1 += hk * x[n + 1 - k];
                s2 += hk * x[n + 2 - k];
                s3 += hk * x[n + 3 - k];
            }
            v[n] = s0;
            v[n + 1] = s1;
            v[n + 2] = s2;
            v[n + 3] = s3;
        }
    }

    // Hilbert transformer over the band-passed signal (the taps at even k
    // only: the others are zero), the in-phase part taken at the centre
    // tap, and the envelope.
    {
        const demod::FirTaps& h = demod::kEnvelopeHilbert;
        const double* v = hilbertInput_.data() + kFirHistory;
        double* e = envelope_.data();
        for (int n = 0; n < kDecimatedSamples; n += 4) {
            double q0 = 0.0, q1 = 0.0, q2 = 0.0, q3 = 0.0;
            for (int k = 0; k < kFirTaps; k += 2) {
                const double hk = h[k];
                q0 += hk * v[n - k];
                q1 += hk * v[n + 1 - k];
                q2 += hk * v[n + 2 - k];
                q3 += hk * v[n + 3 - k];
            }
            const double* p = v + n - kFirCentre;
            e[n] = std::sqrt(p[0] * p[0] + q0 * q0);
            e[n + 1] = std::sqrt(p[1] * p[1] + q1 * q1);
            e[n + 2] = std::sqrt(p[2] * p[2] + q2 * q2);
            e[n + 3] = std::sqrt(p[3] * p[3] + q3 * q3);
        }
    }

    // Carry the last kFirHistory inputs of both FIRs into the next block.
    std::copy(bandPassInput_.end() - kFirHistory, bandPassInput_.end(), bandPassInput_.begin());
    std::copy(hilbertInput_.end() - kFirHistory, hilbertInput_.end(), hilbertInput_.begin());

    // Interpolation to 24 kHz: each envelope sample fed twice through the
    // 2080 Hz low-pass, scaled by 0.4.
    {
        const CascadeCoefficients& lp = demod::kInterpolationLowPass24k;
        LocalCascade f(interpolationLowPass_);
        const double* e = envelope_.data();
        for (int j = 0; j < kDecimatedSamples; ++j) {
            demodOutput[2 * j] = 0.4 * f.step(lp, e[j]);
            demodOutput[2 * j + 1] = 0.4 * f.step(lp, e[j]);
        }
        f.storeTo(interpolationLowPass_);
    }
}

}  // namespace sorae
