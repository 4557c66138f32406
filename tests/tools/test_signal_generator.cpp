// The test transmitter's sound: levels as the decoder will read them,
// determinism, noise, clock error, start offset and the I/Q convention.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "signal_probe.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/test_patterns.h"

using namespace sorae::testsignal;
using namespace sorae::testsignal::probe;

namespace {

// Gain of the decoder's envelope stage at 2400 Hz: 0.4 after interpolation,
// times the band-pass gain (1.0029) and the mean of the Hilbert pair
// (0.9994), both computed from its filter tables.
constexpr double kEnvelopeGain = 0.4 * 1.00293 * 0.99942;
// The quadrature stage turns a phase step of d radians per 48 kHz sample
// into 1000 d counts.
constexpr double kCountsPerHz = 1000.0 * 2.0 * std::numbers::pi / 48000.0;

AptLineSource cardSource(int sensorA = 2, int sensorB = 4) {
    return AptLineSource(makeTestCard(256, 'A', false), makeTestCard(256, 'B', true), sensorA, sensorB);
}

GeneratorOptions options(SignalKind kind, int rate, long lines) {
    GeneratorOptions o;
    o.kind = kind;
    o.sampleRate = rate;
    o.lines = lines;
    return o;
}

// First sample of word `word` of line `line` (recording started at line 0).
std::size_t sampleOfWord(const AptSignalGenerator& g, long line, double word) {
    const double u = double(line) * 2080 + word - g.options().startFraction * 2080;
    return std::size_t(std::ceil(u * g.effectiveRate() / 4160.0));
}

// The envelope level the decoder would read for each telemetry wedge 1..16
// of `channel`, measured from the generated sound over the middle of the
// telemetry words of one line of each wedge.
std::array<double, 17> wedgeEnvelopes(SignalKind kind, int rate, int channel, int sensor) {
    std::array<double, 17> e{};
    for (int wedge = 1; wedge <= 16; ++wedge) {
        // One line from the middle of the wedge is enough.
        GeneratorOptions o = options(kind, rate, 1);
        o.firstLineNumber = (wedge - 1) * 8 + 4;
        AptSignalGenerator g(cardSource(sensor, sensor), o);
        const std::vector<double> x = generateAll(g);
        const double fs = g.effectiveRate();
        const std::size_t first = sampleOfWord(g, 0, channel * 1040 + 997);
        const std::size_t count = sampleOfWord(g, 0, channel * 1040 + 1038) - first;
        if (kind == SignalKind::Audio) {
            e[wedge] = kEnvelopeGain * std::abs(lockIn(x, first, count, fs, kSubcarrierHz));
        } else {
            std::vector<double> deviation = instantaneousFrequency(x, fs);
            for (double& f : deviation) f -= o.carrierHz;
            e[wedge] = kEnvelopeGain * kCountsPerHz * std::abs(lockIn(deviation, first, count, fs, kSubcarrierHz));
        }
    }
    return e;
}

// Sensor wedge found by the decoder's identification rule on levels in
// percent of 1536: the first wedge k of 1..6 with p[k] - 3 <= p[16] < p[k] + 3,
// or 0 for none.
int identify(const std::array<double, 17>& e) {
    const double p16 = e[16] / 1536.0 * 100.0;
    for (int k = 1; k <= 6; ++k) {
        const double pk = e[k] / 1536.0 * 100.0;
        if (pk - 3.0 <= p16 && p16 < pk + 3.0) return k;
    }
    return 0;
}

}  // namespace

TEST(AptSignalGenerator, TelemetryReadsAsTheDecoderExpects) {
    struct Case { SignalKind kind; int rate; double whiteLevel; };
    const double iqWhite = kEnvelopeGain * kCountsPerHz * 17000.0;
    for (const Case c : {Case{SignalKind::Audio, 48000, 1530.0}, Case{SignalKind::Audio, 11025, 1530.0},
                         Case{SignalKind::IQ, 96000, iqWhite}}) {
        const std::string what = (c.kind == SignalKind::IQ ? "I/Q " : "audio ") + std::to_string(c.rate);
        for (int sensor = 0; sensor <= 6; ++sensor) {
            const auto eA = wedgeEnvelopes(c.kind, c.rate, 0, sensor);
            EXPECT_EQ(identify(eA), sensor) << what << " sensor " << sensor;
            if (sensor != 2) continue;
            // White (wedge 8) lands on the calibration target, zero
            // modulation (wedge 9) at the standard 87 % modulation depth.
            EXPECT_NEAR(eA[8], c.whiteLevel, 0.01 * c.whiteLevel) << what;
            EXPECT_NEAR(eA[9] / eA[8], 0.13 / 1.87, 0.003) << what;
            for (int k = 1; k <= 7; ++k) EXPECT_LT(eA[k], eA[k + 1]) << what << " wedge " << k;
            // Channel B carries its own sensor.
            EXPECT_EQ(identify(wedgeEnvelopes(c.kind, c.rate, 1, 5)), 5) << what;
        }
    }
}

TEST(AptSignalGenerator, WordsModulateTheSubcarrierLevel) {
    // Image words of a bar pattern read back, word level by word level.
    AptSignalGenerator g(AptLineSource(makeBarsPattern(4), makeGradientPattern(4), 1, 1),
                         options(SignalKind::Audio, 48000, 3));
    const std::vector<double> x = generateAll(g);
    for (int bar = 0; bar < 8; ++bar) {
        const double firstWord = 86 + bar * 909.0 / 8 + 10, lastWord = firstWord + 90;
        const std::size_t first = sampleOfWord(g, 1, firstWord);
        const double amplitude = std::abs(lockIn(x, first, sampleOfWord(g, 1, lastWord) - first, 48000, 2400));
        EXPECT_NEAR(amplitude, wordAmplitude(g.options(), (bar * 255 + 3) / 7), 0.005 * kWhiteAmplitude)
            << "bar " << bar;
    }
}

TEST(AptSignalGenerator, SameSeedSameSamplesWhateverTheBlockSize) {
    GeneratorOptions o = options(SignalKind::IQ, 96000, 3);
    o.snrDb = 15.0;
    o.seed = 77;
    AptSignalGenerator g(cardSource(), o);
    const std::vector<double> reference = generateAll(g, 4096);
    ASSERT_EQ(reference.size(), std::size_t(g.totalFrames()) * 2);
    EXPECT_EQ(generateAll(g, 1), reference);
    EXPECT_EQ(generateAll(g, 777), reference);
    AptSignalGenerator again(cardSource(), o);
    EXPECT_EQ(generateAll(again, 5000), reference);

    // 16-bit output is the rounded double output.
    std::vector<std::int16_t> shorts(reference.size() + 10);
    g.rewind();
    ASSERT_EQ(g.generateInt16(shorts), std::size_t(g.totalFrames()));
    for (std::size_t i = 0; i < reference.size(); ++i) ASSERT_EQ(shorts[i], toInt16(reference[i])) << i;

    o.seed = 78;
    AptSignalGenerator otherSeed(cardSource(), o);
    EXPECT_NE(generateAll(otherSeed), reference);

    // Without noise the seed changes nothing.
    GeneratorOptions clean = options(SignalKind::Audio, 22050, 2);
    AptSignalGenerator c1(cardSource(), clean);
    clean.seed = 12345;
    AptSignalGenerator c2(cardSource(), clean);
    EXPECT_EQ(generateAll(c1), generateAll(c2));
}

TEST(AptSignalGenerator, NoiseHasTheRequestedPower) {
    for (const SignalKind kind : {SignalKind::Audio, SignalKind::IQ}) {
        for (const double snr : {0.0, 10.0, 25.0}) {
            GeneratorOptions o = options(kind, kind == SignalKind::IQ ? 96000 : 11025, 20);
            AptSignalGenerator clean(cardSource(), o);
            o.snrDb = snr;
            AptSignalGenerator noisy(cardSource(), o);
            const std::vector<double> a = generateAll(clean), b = generateAll(noisy);
            ASSERT_EQ(a.size(), b.size());
            double power = 0.0, mean = 0.0, lag1 = 0.0;
            for (std::size_t i = 0; i < a.size(); ++i) {
                const double d = b[i] - a[i];
                power += d * d;
                mean += d;
                if (i >= 2) lag1 += d * (b[i - 2] - a[i - 2]);  // same channel in I/Q too
            }
            const double reference = kind == SignalKind::IQ
                                         ? o.carrierAmplitude * o.carrierAmplitude
                                         : kWhiteAmplitude * kWhiteAmplitude / 2.0;
            const double noisePower = kind == SignalKind::IQ ? 2.0 * power / a.size() : power / a.size();
            EXPECT_NEAR(10.0 * std::log10(reference / noisePower), snr, 0.1) << "snr " << snr;
            EXPECT_NEAR(mean / a.size(), 0.0, 0.01 * std::sqrt(power / a.size()));
            EXPECT_NEAR(lag1 / power, 0.0, 0.01) << "noise is white";
        }
    }
}

TEST(AptSignalGenerator, ClockErrorStretchesTheRecording) {
    const double ppm = 500.0;
    GeneratorOptions o = options(SignalKind::Audio, 48000, 110);
    o.clockErrorPpm = ppm;
    AptSignalGenerator g(cardSource(), o);
    EXPECT_EQ(g.totalFrames(), std::llround(110 * 24000 * (1 + ppm * 1e-6)));
    const std::vector<double> x = generateAll(g);

    // The subcarrier, seen at the nominal rate, is slower by the same ratio
    // (phase drift between windows of 0.1 s, well within half a turn).
    double drift = 0.0;
    for (int w = 0; w < 100; ++w)
        drift += std::arg(lockIn(x, (w + 1) * 4800, 4800, 48000, 2400) / lockIn(x, w * 4800, 4800, 48000, 2400));
    const double measuredHz = 2400.0 + drift / 100 / (2 * std::numbers::pi * 0.1);
    EXPECT_NEAR(measuredHz, 2400.0 / (1 + ppm * 1e-6), 0.01);

    // The sync words move by 12 samples per nominal line.
    std::vector<double> envelope(x.size(), 0.0);
    double run = 0.0;
    for (std::size_t n = 0; n < x.size(); ++n) {  // rectified, one subcarrier cycle averaged
        run += std::abs(x[n]) - (n >= 20 ? std::abs(x[n - 20]) : 0.0);
        envelope[n] = run / 20.0;
    }
    std::vector<double> tmpl(39 * 48000 / 4160);
    for (std::size_t i = 0; i < tmpl.size(); ++i) tmpl[i] = syncWordA()[i * 4160 / 48000] ? 1.0 : -1.0;
    auto syncIn = [&](int line) {
        std::size_t best = 0;
        double bestScore = -1e300;
        for (std::size_t s = 0; s < 24000; ++s) {
            double score = 0.0;
            for (std::size_t i = 0; i < tmpl.size(); ++i) score += tmpl[i] * envelope[line * 24000 + s + i];
            if (score > bestScore) bestScore = score, best = s;
        }
        return double(line * 24000 + best);
    };
    const double moved = syncIn(102) - syncIn(2) - 100 * 24000;
    EXPECT_NEAR(moved, 100 * 24000 * ppm * 1e-6, 3.0);
}

TEST(AptSignalGenerator, StartFractionSkipsTheHeadOfTheFirstLine) {
    GeneratorOptions o = options(SignalKind::Audio, 48000, 6);
    AptSignalGenerator whole(cardSource(), o);
    o.startFraction = 0.25;
    AptSignalGenerator late(cardSource(), o);
    EXPECT_EQ(late.totalFrames(), 6 * 24000 - 6000);
    const std::vector<double> a = generateAll(whole), b = generateAll(late);
    ASSERT_EQ(b.size(), a.size() - 6000);
    for (std::size_t n = 0; n < b.size(); ++n) ASSERT_NEAR(b[n], a[n + 6000], 1e-6) << n;
}

TEST(AptSignalGenerator, IqIsFmOfTheAudioWithTheCarrierAtMinus24kHz) {
    GeneratorOptions o = options(SignalKind::Audio, 96000, 4);
    AptSignalGenerator audio(cardSource(), o);
    o.kind = SignalKind::IQ;
    AptSignalGenerator iq(cardSource(), o);
    const std::vector<double> s = generateAll(audio), z = generateAll(iq);
    ASSERT_EQ(z.size(), 2 * s.size());
    const std::vector<double> f = instantaneousFrequency(z, 96000);
    double mean = 0.0, worst = 0.0;
    for (std::size_t n = 1; n < s.size(); ++n) {
        // A positive audio sample raises the frequency: I + jQ turns faster.
        const double expected = -24000.0 + 17000.0 * s[n - 1] / kWhiteAmplitude;
        worst = std::max(worst, std::abs(f[n] - expected));
        mean += f[n];
        ASSERT_NEAR(std::hypot(z[2 * n], z[2 * n + 1]), o.carrierAmplitude, 1e-3);
    }
    EXPECT_LT(worst, 0.01);
    EXPECT_NEAR(mean / (s.size() - 1), -24000.0, 1.0);
    // White peaks reach the full deviation.
    double peak = 0.0;
    for (std::size_t n = 1; n < s.size(); ++n) peak = std::max(peak, f[n] + 24000.0);
    EXPECT_NEAR(peak, 17000.0, 170.0);
}

TEST(AptSignalGenerator, OptionsOutsideWhatCanBeMadeAreRefused) {
    EXPECT_EQ(validateGeneratorOptions(GeneratorOptions{}), "");
    auto with = [](auto change) {
        GeneratorOptions o;
        change(o);
        return validateGeneratorOptions(o);
    };
    EXPECT_NE(with([](GeneratorOptions& o) { o.sampleRate = 8000; }), "");  // 2400 + 2080 Hz > 4 kHz
    EXPECT_EQ(with([](GeneratorOptions& o) { o.sampleRate = 11025; }), "");
    EXPECT_NE(with([](GeneratorOptions& o) { o.lines = 0; }), "");
    EXPECT_NE(with([](GeneratorOptions& o) { o.startFraction = 1.0; }), "");
    EXPECT_NE(with([](GeneratorOptions& o) { o.startFraction = -0.1; }), "");
    EXPECT_NE(with([](GeneratorOptions& o) { o.snrDb = std::nan(""); }), "");
    EXPECT_NE(with([](GeneratorOptions& o) { o.kind = SignalKind::IQ; o.sampleRate = 48000; }), "");
    EXPECT_EQ(with([](GeneratorOptions& o) { o.kind = SignalKind::IQ; o.sampleRate = 96000; }), "");
    EXPECT_NE(with([](GeneratorOptions& o) {
                  o.kind = SignalKind::IQ;
                  o.sampleRate = 96000;
                  o.deviationHz = 20000;
              }), "");
}

TEST(AptSignalGenerator, DropOutsAreSilenceAndClicksFullScaleOnTime) {
    for (const SignalKind kind : {SignalKind::Audio, SignalKind::IQ}) {
        GeneratorOptions o;
        o.kind = kind;
        o.sampleRate = kind == SignalKind::IQ ? 96000 : 11025;
        o.snrDb = 20.0;
        o.lines = 7;   // 3.5 s
        o.dropoutEverySeconds = 2.0;
        o.dropoutSeconds = 0.5;
        o.clickEverySeconds = 1.0;
        AptSignalGenerator g(cardSource(), o);
        const int ch = g.channels();
        std::vector<double> s(std::size_t(g.totalFrames()) * ch);
        ASSERT_EQ(g.generate(s), std::size_t(g.totalFrames()));
        const long second = o.sampleRate;
        auto at = [&](long frame) { return s[std::size_t(frame) * ch]; };
        EXPECT_NE(at(2 * second - 1), 0.0);
        for (long n = 2 * second + kClickSamples; n < 2 * second + second / 2; n += 97)
            EXPECT_EQ(at(n), 0.0) << n;
        EXPECT_NE(at(2 * second + (second + 1) / 2), 0.0);
        for (long t : {1L, 2L, 3L}) {
            EXPECT_EQ(at(t * second), kClickCounts);
            EXPECT_EQ(at(t * second + kClickSamples - 1), kClickCounts);
            EXPECT_NE(at(t * second + kClickSamples), kClickCounts);
        }
        EXPECT_NE(at(0), kClickCounts);   // none at the start
    }
    GeneratorOptions bad;
    bad.dropoutEverySeconds = 1.0;
    bad.dropoutSeconds = 1.0;
    EXPECT_NE(validateGeneratorOptions(bad), "");
}
