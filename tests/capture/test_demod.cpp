#include "capture/demod_coefficients.h"
#include "capture/demodulator.h"
#include "test_demod_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace sorae {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kBlock96 = Demodulator::kFramesPerBlock96k;
constexpr int kBlock48 = Demodulator::kFramesPerBlock48k;
constexpr int kEnvelope = Demodulator::kEnvelopeSamples;

// Random captured samples: whole numbers in the 16-bit range, as the sound
// card delivers them.
std::vector<double> randomSamples(std::mt19937_64& rng, int n) {
    std::vector<double> v(n);
    for (double& x : v) x = double(int(rng() % 65536) - 32768);
    return v;
}

// Index of the first sample whose bits differ, or -1.
int firstBitDifference(const double* a, const double* b, int n) {
    for (int i = 0; i < n; ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) return i;
    }
    return -1;
}

// I/Q of a complex tone exp(j 2 pi f n / 96000), continuing from `phase`.
void complexTone(double frequency, double amplitude, double& phase, std::vector<double>& i,
                 std::vector<double>& q) {
    const double step = 2.0 * kPi * frequency / 96000.0;
    for (size_t n = 0; n < i.size(); ++n) {
        i[n] = amplitude * std::cos(phase);
        q[n] = amplitude * std::sin(phase);
        phase = std::fmod(phase + step, 2.0 * kPi);
    }
}

// --- the fast forms against the literal one ---------------------------------

TEST(DemodulatorExactness, AudioEnvelopeMatchesLiteralFormOverManyBlocks) {
    std::mt19937_64 rng(11);
    auto fast = std::make_unique<Demodulator>();
    auto ref = std::make_unique<testing::ReferenceDemodulator>();
    const double gain = std::pow(10.0, 7.0 / 20.0);
    for (int block = 0; block < 6; ++block) {
        std::vector<double> in = randomSamples(rng, kBlock48);
        if (block == 3) std::fill(in.begin() + 1000, in.begin() + 9000, 0.0);  // a silent stretch
        std::vector<double> a(kBlock48), b(kBlock48);
        for (int k = 0; k < kBlock48; ++k) a[k] = b[k] = in[k] * gain;
        fast->demodulateEnvelope(a.data());
        ref->envelope(b.data());
        EXPECT_EQ(firstBitDifference(a.data(), b.data(), kEnvelope), -1) << "block " << block;
        // the second half is not the stage's output and stays as it was
        EXPECT_EQ(a[kEnvelope], in[kEnvelope] * gain);
    }
}

TEST(DemodulatorExactness, QuadratureChainMatchesLiteralFormIncludingLowPassReset) {
    std::mt19937_64 rng(12);
    auto fast = std::make_unique<Demodulator>();
    auto ref = std::make_unique<testing::ReferenceDemodulator>();
    for (int block = 0; block < 5; ++block) {
        std::vector<double> left = randomSamples(rng, kBlock96);
        std::vector<double> right = randomSamples(rng, kBlock96);
        if (block == 2) {
            // exact zeros and full-scale values inside a block
            std::fill(left.begin() + 500, left.begin() + 2500, 0.0);
            std::fill(right.begin() + 500, right.begin() + 2500, 0.0);
            std::fill(left.begin() + 7000, left.begin() + 7100, -32768.0);
        }
        if (block == 3) {
            fast->clearQuadratureLowPass();
            ref->clearQuadratureLowPass();
        }
        const double gain = block == 4 ? 0.1 : 1.0;
        std::vector<double> a(kBlock48, 0.0), b(kBlock48, 0.0);
        fast->demodulateQuadrature(left.data(), right.data(), kBlock96, gain, a.data());
        ref->quadrature(left, right, kBlock96, gain, b.data());
        ASSERT_EQ(firstBitDifference(a.data(), b.data(), kBlock48), -1) << "block " << block;
        fast->demodulateEnvelope(a.data());
        ref->envelope(b.data());
        ASSERT_EQ(firstBitDifference(a.data(), b.data(), kEnvelope), -1) << "block " << block;
    }
}

// The parts a file decoding pipeline runs on separate threads, each with
// buffers of its own, give the literal form's bits too.
TEST(DemodulatorExactness, StagePartsWithTheirOwnBuffersMatchLiteralForm) {
    std::mt19937_64 rng(13);
    auto parts = std::make_unique<Demodulator>();
    auto ref = std::make_unique<testing::ReferenceDemodulator>();
    for (int block = 0; block < 4; ++block) {
        const std::vector<double> left = randomSamples(rng, kBlock96);
        const std::vector<double> right = randomSamples(rng, kBlock96);
        std::vector<double> decI(kBlock48), decQ(kBlock48), audio(kBlock48);
        std::vector<double> decimated(Demodulator::kDecimatedSamples), envelope(kEnvelope);
        const int kept = parts->mixAndDecimate(left.data(), right.data(), kBlock96, decI.data(), decQ.data());
        ASSERT_EQ(kept, kBlock48);
        parts->discriminate(decI.data(), decQ.data(), kept, 0.5, audio.data());
        parts->decimateAudio(audio.data(), decimated.data());
        parts->envelopeOfDecimated(decimated.data(), envelope.data());

        std::vector<double> b(kBlock48, 0.0);
        ref->quadrature(left, right, kBlock96, 0.5, b.data());
        ASSERT_EQ(firstBitDifference(audio.data(), b.data(), kBlock48), -1) << "block " << block;
        ref->envelope(b.data());
        ASSERT_EQ(firstBitDifference(envelope.data(), b.data(), kEnvelope), -1) << "block " << block;
    }
}

// The mixer table rests on the stepped phase taking exactly four values for
// ever (a drifting phase would slowly detune the table from sin/cos).
TEST(DemodulatorExactness, SteppedMixerPhaseRepeatsExactlyEveryFourFrames) {
    double phase = 0.0;
    double firstFour[4] = {};
    for (long n = 1; n <= 4'000'000; ++n) {
        phase = phase - kPi / 2.0;
        if (phase <= -2.0 * kPi) phase += 2.0 * kPi;
        if (n <= 4) {
            firstFour[n % 4] = phase;
        } else if (phase != firstFour[n % 4]) {
            FAIL() << "phase drifted at frame " << n;
        }
    }
    EXPECT_EQ(firstFour[0], 0.0);
    EXPECT_EQ(firstFour[2], -kPi);
}

// Blocks whose length is not a multiple of four exercise the mixer table's
// carried phase; odd lengths the per-call decimation.
TEST(DemodulatorExactness, QuadratureMatchesLiteralFormForUnevenBlockLengths) {
    std::mt19937_64 rng(13);
    auto fast = std::make_unique<Demodulator>();
    auto ref = std::make_unique<testing::ReferenceDemodulator>();
    for (int frames : {4802, 9998, 1, 3, 48000, 17, 26}) {
        std::vector<double> left = randomSamples(rng, kBlock96);
        std::vector<double> right = randomSamples(rng, kBlock96);
        std::vector<double> a(kBlock48 + 1, 0.0), b(kBlock48 + 1, 0.0);  // one sentinel
        fast->demodulateQuadrature(left.data(), right.data(), frames, 1.0, a.data());
        ref->quadrature(left, right, frames, 1.0, b.data());
        ASSERT_EQ(firstBitDifference(a.data(), b.data(), (frames + 1) / 2), -1) << frames;
        EXPECT_EQ(a[(frames + 1) / 2], 0.0) << "wrote past its output";
    }
}

// --- the quadrature stage's behaviour ---------------------------------------

TEST(QuadratureStage, ToneAtMinusQuarterRateGivesZeroOutput) {
    auto demod = std::make_unique<Demodulator>();
    std::vector<double> i(kBlock96), q(kBlock96), out(kBlock48);
    double phase = 0.0;
    for (int block = 0; block < 4; ++block) {
        complexTone(-24000.0, 8000.0, phase, i, q);
        demod->demodulateQuadrature(i.data(), q.data(), kBlock96, 1.0, out.data());
    }
    double worst = 0.0;
    for (double y : out) worst = std::max(worst, std::abs(y));
    EXPECT_LT(worst, 1e-6);
}

// An offset tone is a phase step of 2 pi f / 48000 per output sample; it
// shows as 1000 x that x gain at the high-pass's output until the 5 Hz
// high-pass slowly takes it away. The step is switched on after the chain
// has settled on the -24 kHz carrier, so it appears as a clean edge.
TEST(QuadratureStage, OffsetToneGivesScaledPhaseStepThenDecays) {
    for (double offset : {1000.0, -1500.0}) {
        for (double gain : {1.0, 3.5}) {
            auto demod = std::make_unique<Demodulator>();
            std::vector<double> i(kBlock96), q(kBlock96), out(kBlock48);
            double phase = 0.0;
            for (int block = 0; block < 3; ++block) {
                complexTone(-24000.0, 5000.0, phase, i, q);
                demod->demodulateQuadrature(i.data(), q.data(), kBlock96, gain, out.data());
            }
            complexTone(-24000.0 + offset, 5000.0, phase, i, q);
            demod->demodulateQuadrature(i.data(), q.data(), kBlock96, gain, out.data());
            const double expected = 1000.0 * 2.0 * kPi * offset / 48000.0 * gain;
            // a few samples in: past the low-pass's transient, before the
            // high-pass has taken more than about 2 %
            for (int n = 12; n < 20; ++n) {
                EXPECT_NEAR(out[n], expected, 0.03 * std::abs(expected)) << offset << " " << n;
            }
            // three blocks later the DC removal has done its work
            for (int block = 0; block < 3; ++block) {
                complexTone(-24000.0 + offset, 5000.0, phase, i, q);
                demod->demodulateQuadrature(i.data(), q.data(), kBlock96, gain, out.data());
            }
            EXPECT_LT(std::abs(out.back()), 1e-3 * std::abs(expected));
        }
    }
}

// A continuous FM tone gives a smooth output across block edges, and the
// result does not depend on where the stream is cut into blocks.
TEST(QuadratureStage, ContinuousSignalHasNoGlitchAtBlockEdges) {
    auto whole = std::make_unique<Demodulator>();
    auto halves = std::make_unique<Demodulator>();
    // FM: carrier at -24 kHz, deviation 2 kHz, modulated by a 700 Hz tone
    const int blocks = 4;
    std::vector<double> i(kBlock96 * blocks), q(kBlock96 * blocks);
    double phase = 0.0;
    for (int n = 0; n < kBlock96 * blocks; ++n) {
        const double f = -24000.0 + 2000.0 * std::sin(2.0 * kPi * 700.0 * n / 96000.0);
        phase += 2.0 * kPi * f / 96000.0;
        i[n] = 6000.0 * std::cos(phase);
        q[n] = 6000.0 * std::sin(phase);
    }
    std::vector<double> a(kBlock48 * blocks), b(kBlock48 * blocks);
    for (int k = 0; k < blocks; ++k) {
        whole->demodulateQuadrature(&i[k * kBlock96], &q[k * kBlock96], kBlock96, 1.0,
                                    &a[k * kBlock48]);
        for (int h = 0; h < 2; ++h) {
            const int at = k * kBlock96 + h * kBlock96 / 2;
            halves->demodulateQuadrature(&i[at], &q[at], kBlock96 / 2, 1.0, &b[at / 2]);
        }
    }
    EXPECT_EQ(firstBitDifference(a.data(), b.data(), kBlock48 * blocks), -1);

    // the largest sample-to-sample change inside blocks bounds the one
    // across each edge (the 700 Hz tone at 48 kHz changes smoothly)
    double inside = 0.0;
    for (int n = kBlock48 + 1; n < kBlock48 * blocks; ++n) {
        if (n % kBlock48 != 0) inside = std::max(inside, std::abs(a[n] - a[n - 1]));
    }
    for (int k = 1; k < blocks; ++k) {
        const int n = k * kBlock48;
        EXPECT_LE(std::abs(a[n] - a[n - 1]), inside) << "edge " << k;
    }
    // and the tone is really there: peak close to 1000 x 2 pi x 2000 / 48000
    double peak = 0.0;
    for (int n = kBlock48 * 2; n < kBlock48 * blocks; ++n) peak = std::max(peak, a[n]);
    EXPECT_NEAR(peak, 1000.0 * 2.0 * kPi * 2000.0 / 48000.0, 15.0);
}

// Zero I and Q must be read as theta 0: atan2 of signed zeros would give
// +-pi and turn silence into full-scale clicks.
TEST(QuadratureStage, ZeroInputGivesExactlyZeroOutput) {
    auto demod = std::make_unique<Demodulator>();
    std::vector<double> zero(kBlock96, 0.0), out(kBlock48, 1.0);
    for (int block = 0; block < 2; ++block) {
        demod->demodulateQuadrature(zero.data(), zero.data(), kBlock96, 1.0, out.data());
        for (int n = 0; n < kBlock48; ++n) ASSERT_EQ(out[n], 0.0) << n;
    }
}

// The whole I/Q chain: an FM carrier at -24 kHz whose frequency swings with
// a 2400 Hz subcarrier of deviation D comes out of the envelope stage as
// 0.4 x 1000 x 2 pi D / 48000 (times the band-pass's gain of about 1).
TEST(QuadratureStage, FmSubcarrierGivesTheExpectedEnvelope) {
    auto demod = std::make_unique<Demodulator>();
    const double deviation = 2000.0;
    std::vector<double> i(kBlock96), q(kBlock96), out(kBlock48);
    double phase = 0.0;
    long n = 0;
    for (int block = 0; block < 3; ++block) {
        for (int k = 0; k < kBlock96; ++k, ++n) {
            const double f = -24000.0 + deviation * std::cos(2.0 * kPi * 2400.0 * n / 96000.0);
            phase = std::fmod(phase + 2.0 * kPi * f / 96000.0, 2.0 * kPi);
            i[k] = 9000.0 * std::cos(phase);
            q[k] = 9000.0 * std::sin(phase);
        }
        demod->demodulateQuadrature(i.data(), q.data(), kBlock96, 1.0, out.data());
        demod->demodulateEnvelope(out.data());
    }
    const double expected = 0.4 * 1000.0 * 2.0 * kPi * deviation / 48000.0;
    for (int k = 0; k < kEnvelope; ++k) ASSERT_NEAR(out[k], expected, 0.02 * expected) << k;
}

// --- the envelope stage's behaviour -----------------------------------------

std::vector<double> subcarrier(double amplitude, int block) {
    std::vector<double> v(kBlock48);
    for (int n = 0; n < kBlock48; ++n) {
        v[n] = amplitude * std::cos(2.0 * kPi * 2400.0 * (block * kBlock48 + n) / 48000.0);
    }
    return v;
}

TEST(EnvelopeStage, SteadySubcarrierGivesFlatEnvelopeOfPointFourTimesAmplitude) {
    auto demod = std::make_unique<Demodulator>();
    std::vector<double> v;
    for (int block = 0; block < 3; ++block) {
        v = subcarrier(1000.0, block);
        demod->demodulateEnvelope(v.data());
    }
    for (int n = 0; n < kEnvelope; ++n) ASSERT_NEAR(v[n], 400.0, 4.0) << n;
}

TEST(EnvelopeStage, SilenceGivesZeroEnvelope) {
    auto fresh = std::make_unique<Demodulator>();
    std::vector<double> v(kBlock48, 0.0);
    fresh->demodulateEnvelope(v.data());
    for (int n = 0; n < kEnvelope; ++n) ASSERT_EQ(v[n], 0.0);

    // after a signal, once the filters have settled
    auto used = std::make_unique<Demodulator>();
    v = subcarrier(3000.0, 0);
    used->demodulateEnvelope(v.data());
    for (int block = 0; block < 2; ++block) {
        std::fill(v.begin(), v.end(), 0.0);
        used->demodulateEnvelope(v.data());
    }
    for (int n = 0; n < kEnvelope; ++n) ASSERT_LT(std::abs(v[n]), 1e-6) << n;
}

// Amplitude modulation at the APT word rate: alternating words of two
// levels (a 1040 Hz square wave) must come through with their contrast.
TEST(EnvelopeStage, FollowsAmplitudeModulationAtTheWordRate) {
    auto demod = std::make_unique<Demodulator>();
    std::vector<double> v;
    for (int block = 0; block < 2; ++block) {
        v = subcarrier(1.0, block);
        for (int n = 0; n < kBlock48; ++n) {
            const long word = (long(block) * kBlock48 + n) * 4160 / 48000;  // 4160 words/s
            v[n] *= (word % 2 == 0) ? 2000.0 : 500.0;
        }
        demod->demodulateEnvelope(v.data());
    }
    const auto [lo, hi] = std::minmax_element(v.begin(), v.begin() + kEnvelope);
    EXPECT_GT(*hi - *lo, 0.4 * (2000.0 - 500.0) * 0.5);
    EXPECT_GT(*lo, 0.4 * 500.0 * 0.5);
    EXPECT_LT(*hi, 0.4 * 2000.0 * 1.3);
}

// --- the coefficient tables, checked against their design ------------------

std::complex<double> cascadeResponse(const demod::CascadeCoefficients& c, double f, double fs) {
    const std::complex<double> zi = std::polar(1.0, -2.0 * kPi * f / fs);  // z^-1
    std::complex<double> h = 1.0;
    for (const auto& s : c) {
        h *= (s.b0 + s.b1 * zi + s.b2 * zi * zi) / (1.0 - s.a1 * zi - s.a2 * zi * zi);
    }
    return h;
}

std::complex<double> firResponse(const demod::FirTaps& h, double f, double fs) {
    std::complex<double> sum = 0.0;
    for (int k = 0; k < demod::kFirTaps; ++k) sum += h[k] * std::polar(1.0, -2.0 * kPi * f / fs * k);
    return sum;
}

TEST(DemodCoefficients, LowPassCascadesHaveUnitDcGainAndHalfPowerAtCutoff) {
    struct Case {
        const demod::CascadeCoefficients* table;
        double cutoff, rate;
    };
    for (const Case& c : {Case{&demod::kQuadratureLowPass96k, 20000.0, 96000.0},
                          Case{&demod::kAudioLowPass48k, 5000.0, 48000.0},
                          Case{&demod::kInterpolationLowPass24k, 2080.0, 24000.0}}) {
        EXPECT_NEAR(std::abs(cascadeResponse(*c.table, 0.0, c.rate)), 1.0, 1e-6) << c.cutoff;
        EXPECT_NEAR(std::abs(cascadeResponse(*c.table, c.cutoff, c.rate)), std::sqrt(0.5), 1e-5)
            << c.cutoff;
        // 8th order: 48 dB per octave
        EXPECT_LT(std::abs(cascadeResponse(*c.table, 1.5 * c.cutoff, c.rate)), 0.04) << c.cutoff;
    }
    const demod::CascadeCoefficients hp{demod::kDcRemovalHighPass48k, demod::BiquadCoefficients{0, 0, 1, 0, 0},
                                        demod::BiquadCoefficients{0, 0, 1, 0, 0},
                                        demod::BiquadCoefficients{0, 0, 1, 0, 0}};
    EXPECT_NEAR(std::abs(cascadeResponse(hp, 5.0, 48000.0)), std::sqrt(0.5), 1e-3);
    EXPECT_NEAR(std::abs(cascadeResponse(hp, 0.0, 48000.0)), 0.0, 1e-12);
    EXPECT_NEAR(std::abs(cascadeResponse(hp, 1000.0, 48000.0)), 1.0, 1e-3);
}

TEST(DemodCoefficients, FirTablesAreExpandedWithTheirSymmetry) {
    const auto& bp = demod::kSubcarrierBandPass;
    const auto& hil = demod::kEnvelopeHilbert;
    for (int k = 0; k < 51; ++k) {
        EXPECT_EQ(bp[k], bp[50 - k]);
        EXPECT_EQ(hil[k], -hil[50 - k]);
        if (k % 2 == 1) {
            EXPECT_EQ(hil[k], 0.0) << k;
        }
    }
    EXPECT_EQ(bp[25], 0.693333333);
    EXPECT_EQ(hil[24], -0.635081148);
    EXPECT_EQ(hil[26], 0.635081148);
    EXPECT_EQ(hil[0], -0.00589720752);
    EXPECT_EQ(hil[50], 0.00589720752);

    // band-pass: about unity at the subcarrier, -6 dB at 320 and 4480 Hz
    EXPECT_NEAR(std::abs(firResponse(bp, 2400.0, 12000.0)), 1.0, 0.01);
    EXPECT_NEAR(std::abs(firResponse(bp, 320.0, 12000.0)), 0.5, 0.01);
    EXPECT_NEAR(std::abs(firResponse(bp, 4480.0, 12000.0)), 0.5, 0.01);
    EXPECT_LT(std::abs(firResponse(bp, 0.0, 12000.0)), 0.02);
    // Hilbert: unit gain and -90 degrees against a 25-sample delay
    for (double f : {1000.0, 2400.0, 4000.0}) {
        const auto g = firResponse(hil, f, 12000.0) * std::polar(1.0, 2.0 * kPi * f / 12000.0 * 25);
        EXPECT_NEAR(std::abs(g), 1.0, 0.01) << f;
        EXPECT_NEAR(std::arg(g), -kPi / 2.0, 1e-9) << f;
    }
}

}  // namespace
}  // namespace sorae
