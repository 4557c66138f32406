#include "testsignal/apt_signal_generator.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sorae::testsignal {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// The subcarrier phasor is turned by a fixed step each sample and set from
// the exact phase every this many samples (by sample index, so the output
// does not depend on block sizes).
constexpr std::int64_t kReanchorMask = 1023;

double fraction(double x) { return x - std::floor(x); }

// sin(2 pi k / kSineSteps) for k = 0 .. kSineSteps + 1/4 turn, read with
// linear interpolation for the carrier of the I/Q signal (error below 2e-8).
constexpr int kSineSteps = 16384;

const std::vector<double>& sineTable() {
    static const std::vector<double> table = [] {
        std::vector<double> t(kSineSteps + kSineSteps / 4 + 2);
        for (std::size_t k = 0; k < t.size(); ++k) t[k] = std::sin(kTwoPi * double(k) / kSineSteps);
        return t;
    }();
    return table;
}

// sin of 2 pi (cycles + quarter) for cycles in [0, 1), quarter 0 or 1/4 turn.
inline double tableSine(const double* table, double cycles, int quarterSteps) {
    const double pos = cycles * kSineSteps;
    const int k = int(pos);
    const double t = pos - k;
    const double a = table[k + quarterSteps], b = table[k + quarterSteps + 1];
    return a + t * (b - a);
}

}  // namespace

std::string validateGeneratorOptions(const GeneratorOptions& o) {
    if (o.sampleRate < 8000 || o.sampleRate > 768000)
        return "sample rate must lie between 8000 and 768000 Hz";
    if (o.lines < 1 || o.lines > 100000) return "number of lines must lie between 1 and 100000";
    if (o.firstLineNumber < 0) return "first line number must not be negative";
    if (!(o.startFraction >= 0.0 && o.startFraction < 1.0))
        return "start fraction must lie in [0, 1)";
    if (!(std::abs(o.clockErrorPpm) <= 10000.0)) return "clock error must lie within +-10000 ppm";
    if (o.snrDb && !(*o.snrDb >= -40.0 && *o.snrDb <= 200.0))
        return "SNR must lie between -40 and 200 dB";
    if (!(o.whiteAmplitude > 0.0 && o.whiteAmplitude < 1e6)) return "white amplitude must be positive";
    if (!(o.modulationIndex > 0.0 && o.modulationIndex <= 1.0))
        return "modulation index must lie in (0, 1]";
    if (!(o.dropoutEverySeconds >= 0.0 && o.dropoutSeconds >= 0.0 && o.clickEverySeconds >= 0.0 &&
          o.dropoutEverySeconds < 1e6 && o.clickEverySeconds < 1e6))
        return "drop-out and click times must not be negative";
    if (o.dropoutEverySeconds > 0.0 && !(o.dropoutSeconds < o.dropoutEverySeconds))
        return "a drop-out must be shorter than the time between drop-outs";
    if (o.kind == SignalKind::IQ) {
        if (!(o.carrierAmplitude > 0.0 && o.carrierAmplitude < 1e6))
            return "carrier amplitude must be positive";
        if (!(o.deviationHz >= 0.0)) return "deviation must not be negative";
        const double highest = std::abs(o.carrierHz) + o.deviationHz + kSubcarrierHz + 2080.0;
        if (!(highest < o.sampleRate / 2.0))
            return "carrier, deviation and subcarrier do not fit below half the sample rate";
    } else if (kSubcarrierHz + 2080.0 >= o.sampleRate / 2.0) {
        return "the subcarrier does not fit below half the sample rate";
    }
    return {};
}

double noiseSigma(const GeneratorOptions& o) {
    if (!o.snrDb) return 0.0;
    const double ratio = std::pow(10.0, *o.snrDb / 10.0);
    if (o.kind == SignalKind::IQ)  // per component: complex power 2 sigma^2
        return o.carrierAmplitude / std::sqrt(2.0 * ratio);
    return o.whiteAmplitude / std::sqrt(2.0 * ratio);
}

double wordAmplitude(const GeneratorOptions& o, int wordValue) {
    const double m = o.modulationIndex;
    const double v = std::clamp(wordValue, 0, 255) / 255.0;
    return o.whiteAmplitude * ((1.0 - m) + 2.0 * m * v) / (1.0 + m);
}

std::int16_t toInt16(double counts) {
    const double r = std::nearbyint(counts);
    if (!(r > -32768.0)) return -32768;  // also NaN
    if (r > 32767.0) return 32767;
    return std::int16_t(r);
}

AptSignalGenerator::AptSignalGenerator(AptLineSource source, GeneratorOptions options)
    : source_(std::move(source)), options_(options), noise_(options.seed) {
    effectiveRate_ = options_.sampleRate * (1.0 + options_.clockErrorPpm * 1e-6);
    const double seconds = (double(options_.lines) - options_.startFraction) / AptLayout::kLinesPerSecond;
    totalFrames_ = std::max<std::int64_t>(0, std::llround(seconds * effectiveRate_));
    firstWord_ = options_.startFraction * AptLayout::kWordsPerLine;
    wordsPerSample_ = AptLayout::kWordsPerSecond / effectiveRate_;
    // The subcarrier is locked to the word clock: 2400 Hz is 15/26 of 4160.
    firstCycle_ = fraction(firstWord_ * (kSubcarrierHz / AptLayout::kWordsPerSecond));
    cyclesPerSample_ = kSubcarrierHz / effectiveRate_;
    stepCos_ = std::cos(kTwoPi * cyclesPerSample_);
    stepSin_ = std::sin(kTwoPi * cyclesPerSample_);
    sigma_ = noiseSigma(options_);
    dropoutPeriod_ = std::llround(options_.dropoutEverySeconds * options_.sampleRate);
    dropoutLength_ = dropoutPeriod_ > 0 ? std::llround(options_.dropoutSeconds * options_.sampleRate) : 0;
    clickPeriod_ = std::llround(options_.clickEverySeconds * options_.sampleRate);
    for (int v = 0; v < 256; ++v) amplitudeOfValue_[v] = wordAmplitude(options_, v);
    rewind();
}

void AptSignalGenerator::rewind() {
    n_ = 0;
    noise_ = GaussianNoise(options_.seed);
    fmCycles_ = 0.0;
    lineStartWord_ = 0;
    lineEndWord_ = -1;
}

void AptSignalGenerator::loadLine(long lineNumber) {
    AptLine words;
    source_.composeLine(lineNumber, words);
    for (int i = 0; i < AptLayout::kWordsPerLine; ++i) amplitudes_[i] = amplitudeOfValue_[words[i]];
}

std::size_t AptSignalGenerator::generate(std::span<double> out) {
    const int ch = channels();
    const std::size_t frames =
        std::size_t(std::min<std::int64_t>(std::int64_t(out.size() / ch), totalFrames_ - n_));
    const bool iq = options_.kind == SignalKind::IQ;
    const double fmPerCount = options_.deviationHz / options_.whiteAmplitude / effectiveRate_;
    const double carrierCycles = options_.carrierHz / effectiveRate_;
    const double* sine = sineTable().data();

    for (std::size_t i = 0; i < frames; ++i, ++n_) {
        const double u = firstWord_ + double(n_) * wordsPerSample_;
        const std::int64_t w = std::int64_t(u);
        if (w >= lineEndWord_ || w < lineStartWord_) {
            const long lineIndex = long(w / AptLayout::kWordsPerLine);
            lineStartWord_ = std::int64_t(lineIndex) * AptLayout::kWordsPerLine;
            lineEndWord_ = lineStartWord_ + AptLayout::kWordsPerLine;
            loadLine(options_.firstLineNumber + lineIndex);
        }
        const int word = int(w - lineStartWord_);

        if ((n_ & kReanchorMask) == 0) {
            const double phase = kTwoPi * fraction(firstCycle_ + double(n_) * cyclesPerSample_);
            phasorCos_ = std::cos(phase);
            phasorSin_ = std::sin(phase);
        } else {
            const double c = phasorCos_ * stepCos_ - phasorSin_ * stepSin_;
            phasorSin_ = phasorSin_ * stepCos_ + phasorCos_ * stepSin_;
            phasorCos_ = c;
        }
        const double audio = amplitudes_[word] * phasorSin_;

        if (!iq) {
            out[i] = sigma_ > 0.0 ? audio + sigma_ * noise_.next() : audio;
            interrupt(&out[i], 1);
            continue;
        }
        double inPhase = options_.carrierAmplitude * tableSine(sine, fmCycles_, kSineSteps / 4);
        double quadrature = options_.carrierAmplitude * tableSine(sine, fmCycles_, 0);
        if (sigma_ > 0.0) {
            inPhase += sigma_ * noise_.next();
            quadrature += sigma_ * noise_.next();
        }
        out[2 * i] = inPhase;
        out[2 * i + 1] = quadrature;
        interrupt(&out[2 * i], 2);
        fmCycles_ = fraction(fmCycles_ + carrierCycles + audio * fmPerCount);
    }
    return frames;
}

void AptSignalGenerator::interrupt(double* frame, int channels) const {
    // The first drop-out and click come one period after the start.
    if (dropoutLength_ > 0 && n_ >= dropoutPeriod_ && n_ % dropoutPeriod_ < dropoutLength_)
        for (int c = 0; c < channels; ++c) frame[c] = 0.0;
    if (clickPeriod_ > 0 && n_ >= clickPeriod_ && n_ % clickPeriod_ < kClickSamples)
        for (int c = 0; c < channels; ++c) frame[c] = kClickCounts;
}

std::size_t AptSignalGenerator::generateInt16(std::span<std::int16_t> out) {
    double chunk[4096];
    const std::size_t ch = std::size_t(channels());
    std::size_t framesDone = 0;
    while ((framesDone + 1) * ch <= out.size()) {
        const std::size_t want = std::min(out.size() - framesDone * ch, sizeof chunk / sizeof chunk[0]);
        const std::size_t frames = generate(std::span<double>(chunk, want));
        if (frames == 0) break;
        for (std::size_t i = 0; i < frames * ch; ++i) out[framesDone * ch + i] = toInt16(chunk[i]);
        framesDone += frames;
    }
    return framesDone;
}

}  // namespace sorae::testsignal
