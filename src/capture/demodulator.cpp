#include "capture/demodulator.h"

#include "capture/demod_coefficients.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

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
//    running sum that started at +0.0 never changes it, so this is exact;
//  - I and Q, and neighbouring FIR outputs, run as the two lanes of one
//    SSE2 vector; each lane does exactly the scalar IEEE operations;
//  - the mixer's sine and cosine come from a four-entry table (see the
//    constructor).
// Build with -ffp-contract=off: a fused multiply-add would round differently.

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

// Two channels filtered together, lane by lane. Vector lanes do exactly the
// IEEE operations of the scalar code, so the results are the same bits; the
// pair just halves the instruction count and keeps the state in registers.
typedef double Pair __attribute__((vector_size(16)));

struct PairedCoefficients {
    Pair a1[4], a2[4], b0[4], b1[4], b2[4];
    explicit PairedCoefficients(const CascadeCoefficients& c) {
        for (int s = 0; s < 4; ++s) {
            a1[s] = Pair{c[s].a1, c[s].a1};
            a2[s] = Pair{c[s].a2, c[s].a2};
            b0[s] = Pair{c[s].b0, c[s].b0};
            b1[s] = Pair{c[s].b1, c[s].b1};
            b2[s] = Pair{c[s].b2, c[s].b2};
        }
    }
};

struct PairedCascade {
    Pair w1[4];
    Pair w2[4];

    template <typename Cascade>
    PairedCascade(const Cascade& lane0, const Cascade& lane1) {
        for (int s = 0; s < 4; ++s) {
            w1[s] = Pair{lane0[s].w1, lane1[s].w1};
            w2[s] = Pair{lane0[s].w2, lane1[s].w2};
        }
    }
    template <typename Cascade>
    void storeTo(Cascade& lane0, Cascade& lane1) const {
        for (int s = 0; s < 4; ++s) {
            lane0[s].w1 = w1[s][0];
            lane0[s].w2 = w2[s][0];
            lane1[s].w1 = w1[s][1];
            lane1[s].w2 = w2[s][1];
        }
    }
    Pair section(const PairedCoefficients& k, int s, Pair x) {
        const Pair w = x + k.a1[s] * w1[s] + k.a2[s] * w2[s];
        const Pair y = k.b0[s] * w + k.b1[s] * w1[s] + k.b2[s] * w2[s];
        w2[s] = w1[s];
        w1[s] = w;
        return y;
    }
    Pair step(const PairedCoefficients& k, Pair x) {
        x = section(k, 0, x);
        x = section(k, 1, x);
        x = section(k, 2, x);
        return section(k, 3, x);
    }
    void advance(const PairedCoefficients& k, Pair x) {
        x = section(k, 0, x);
        x = section(k, 1, x);
        x = section(k, 2, x);
        const Pair w = x + k.a1[3] * w1[3] + k.a2[3] * w2[3];
        w2[3] = w1[3];
        w1[3] = w;
    }
};

inline Pair loadPair(const double* p) {
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void storePair(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }

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
      envelope_(kDecimatedSamples, 0.0),
      quadrature_(kDecimatedSamples, 0.0) {
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

void Demodulator::setCoherent(bool on) {
    if (on && !coherent_) pll_.reset();
    coherent_ = on;
}

void Demodulator::clearQuadratureLowPass() {
    for (Cascade& c : quadLowPass_) c = Cascade{};
}

void Demodulator::demodulateQuadrature(const double* left, const double* right, int frames,
                                       double gainLinear, double* demodOutput) {
    const int kept = mixAndDecimate(left, right, frames, decimatedI_.data(), decimatedQ_.data());
    discriminate(decimatedI_.data(), decimatedQ_.data(), kept, gainLinear, demodOutput);
}

template <typename Input>
int Demodulator::mixAndDecimateFrom(Input input, int frames, double* decI, double* decQ) {
    frames = std::clamp(frames, 0, kFramesPerBlock96k);

    // Mixer (x j e^(-j phase): +24 kHz), 20 kHz low-pass on both channels,
    // and decimation by 2 keeping the even frames of the block.
    Pair sinCos[4], cosSin[4];
    for (int n = 0; n < 4; ++n) {
        sinCos[n] = Pair{mixerSin_[n], mixerCos_[n]};
        cosSin[n] = Pair{mixerCos_[n], mixerSin_[n]};
    }
    PairedCascade f(quadLowPass_[0], quadLowPass_[1]);
    const PairedCoefficients k(demod::kQuadratureLowPass96k);
    int step = mixerStep_;
    int kept = 0;
    for (int i = 0; i < frames; ++i) {
        step = (step + 1) & 3;
        const auto [inI, inQ] = input(i);
        // lane 0: I*s - Q*c (written as I*s + (-Q)*c, the same operation),
        // lane 1: I*c + Q*s
        const Pair mixed = Pair{inI, inI} * sinCos[step] + Pair{-inQ, inQ} * cosSin[step];
        if ((i & 1) == 0) {
            const Pair y = f.step(k, mixed);
            decI[kept] = y[0];
            decQ[kept] = y[1];
            ++kept;
        } else {
            f.advance(k, mixed);
        }
    }
    f.storeTo(quadLowPass_[0], quadLowPass_[1]);
    mixerStep_ = step;
    return kept;
}

int Demodulator::mixAndDecimate(const double* left, const double* right, int frames, double* decI,
                                double* decQ) {
    return mixAndDecimateFrom([=](int i) { return std::pair<double, double>{left[i], right[i]}; }, frames, decI, decQ);
}

int Demodulator::mixAndDecimateInterleaved(const std::int16_t* interleaved, int frames, double* decI, double* decQ) {
    // The same values as de-interleaving into doubles first: the conversion is exact.
    return mixAndDecimateFrom(
        [=](int i) { return std::pair<double, double>{double(interleaved[2 * i]), double(interleaved[2 * i + 1])}; },
        frames, decI, decQ);
}

void Demodulator::discriminate(const double* decI, const double* decQ, int kept, double gainLinear,
                               double* demodOutput) {
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
    decimateAudio(demodOutput, bandPassInput_.data() + kFirHistory);
    envelopeOfDecimated(bandPassInput_.data() + kFirHistory, demodOutput);
}

void Demodulator::decimateAudio(const double* audio, double* decimated) {
    // 5 kHz low-pass at 48 kHz and decimation by 4.
    const CascadeCoefficients& lp = demod::kAudioLowPass48k;
    LocalCascade f(audioLowPass_);
    for (int j = 0; j < kDecimatedSamples; ++j) {
        const double* x = audio + 4 * j;
        decimated[j] = f.step(lp, x[0]);
        f.advance(lp, x[1]);
        f.advance(lp, x[2]);
        f.advance(lp, x[3]);
    }
    f.storeTo(audioLowPass_);
}

void Demodulator::envelopeOfDecimated(const double* decimated, double* demodOutput) {
    static_assert(kDecimatedSamples % 8 == 0, "the FIR loops work eight outputs at a time");
    if (decimated != bandPassInput_.data() + kFirHistory)
        std::copy(decimated, decimated + kDecimatedSamples, bandPassInput_.begin() + kFirHistory);

    // Subcarrier band-pass (all 51 taps), eight outputs at a time as four
    // lane pairs, each lane its own sum in the order k = 0 .. 50.
    {
        const demod::FirTaps& h = demod::kSubcarrierBandPass;
        const double* x = bandPassInput_.data() + kFirHistory;
        double* v = hilbertInput_.data() + kFirHistory;
        for (int n = 0; n < kDecimatedSamples; n += 8) {
            Pair s0{0.0, 0.0}, s1{0.0, 0.0}, s2{0.0, 0.0}, s3{0.0, 0.0};
            for (int k = 0; k < kFirTaps; ++k) {
                const Pair hk{h[k], h[k]};
                const double* d = x + n - k;
                s0 += hk * loadPair(d);
                s1 += hk * loadPair(d + 2);
                s2 += hk * loadPair(d + 4);
                s3 += hk * loadPair(d + 6);
            }
            storePair(v + n, s0);
            storePair(v + n + 2, s1);
            storePair(v + n + 4, s2);
            storePair(v + n + 6, s3);
        }
    }

    // Hilbert transformer over the band-passed signal (the taps at even k
    // only: the others are zero), the in-phase part taken at the centre
    // tap, and the envelope.
    {
        const demod::FirTaps& h = demod::kEnvelopeHilbert;
        const double* v = hilbertInput_.data() + kFirHistory;
        double* e = envelope_.data();
        for (int n = 0; n < kDecimatedSamples; n += 8) {
            Pair q[4] = {{0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
            for (int k = 0; k < kFirTaps; k += 2) {
                const Pair hk{h[k], h[k]};
                const double* d = v + n - k;
                q[0] += hk * loadPair(d);
                q[1] += hk * loadPair(d + 2);
                q[2] += hk * loadPair(d + 4);
                q[3] += hk * loadPair(d + 6);
            }
            const double* centre = v + n - kFirCentre;
            if (coherent_) {
                // Kept apart for the loop below.
                for (int j = 0; j < 4; ++j) {
                    storePair(e + n + 2 * j, loadPair(centre + 2 * j));
                    storePair(quadrature_.data() + n + 2 * j, q[j]);
                }
                continue;
            }
            for (int j = 0; j < 4; ++j) {
                const Pair p = loadPair(centre + 2 * j);
                const Pair power = p * p + q[j] * q[j];
                e[n + 2 * j] = std::sqrt(power[0]);
                e[n + 2 * j + 1] = std::sqrt(power[1]);
            }
        }
        if (coherent_) pll_.process(e, quadrature_.data(), kDecimatedSamples, e);
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
