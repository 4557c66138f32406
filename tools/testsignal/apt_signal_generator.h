// The test transmitter: turns the lines of an AptLineSource into sound, block
// by block, deterministically. Audio mode gives the 2400 Hz subcarrier,
// amplitude modulated by the words (mono). I/Q mode gives that audio as the
// frequency deviation of a carrier at -24 kHz in I + jQ (stereo, I first).
// Samples are doubles in 16-bit counts (what a sound card delivers before
// any gain), not clipped; see toInt16 for the file form.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "testsignal/apt_line_source.h"
#include "testsignal/gaussian_noise.h"

namespace sorae::testsignal {

constexpr double kSubcarrierHz = 2400.0;

// Subcarrier amplitude of a white word in audio mode, in counts. The
// decoder's envelope stage has a gain of about 0.4009 at 2400 Hz (0.4 after
// the interpolation filter, 1.0029 in the band-pass, 0.9994 the mean of the
// Hilbert pair), so a white word reads about 1530 at 0 dB input gain and the
// live picture shows it as full white before any calibration.
constexpr double kWhiteAmplitude = 3816.0;
// Standard APT modulation index: black is (1 - m) / (1 + m) of white.
constexpr double kModulationIndex = 0.87;

// Length of a click, in samples of the recording, and its level in counts.
constexpr int kClickSamples = 4;
constexpr double kClickCounts = 32767.0;

enum class SignalKind { Audio, IQ };

struct GeneratorOptions {
    SignalKind kind = SignalKind::Audio;
    int sampleRate = 48000;              // nominal rate of the recording, Hz
    std::optional<double> snrDb;         // none: no noise
    double clockErrorPpm = 0.0;          // > 0: the recorder's clock runs fast
    double startFraction = 0.0;          // the recording starts this far into line 0
    long lines = 240;                    // the recording ends with the end of this line
    long firstLineNumber = 0;            // number of line 0 (telemetry, markers, picture row)
    std::uint64_t seed = 1;              // noise
    double whiteAmplitude = kWhiteAmplitude;
    // Interruptions, timed from the start of the recording (0: none): a
    // silence of dropoutSeconds every dropoutEverySeconds, and a full-scale
    // spike of kClickSamples samples every clickEverySeconds.
    double dropoutEverySeconds = 0.0;
    double dropoutSeconds = 0.0;
    double clickEverySeconds = 0.0;
    double modulationIndex = kModulationIndex;
    // I/Q mode only
    double carrierHz = -24000.0;
    double deviationHz = 17000.0;        // frequency deviation of a white-word peak
    double carrierAmplitude = 8000.0;    // counts
};

// Empty when the options can be generated, else what is wrong with them.
std::string validateGeneratorOptions(const GeneratorOptions& options);

// Noise definition: white Gaussian noise over the whole band of the
// recording. Audio: SNR = (white subcarrier power, whiteAmplitude^2 / 2) /
// noise power. I/Q: SNR = carrier power / complex noise power.
double noiseSigma(const GeneratorOptions& options);

// The subcarrier amplitude (counts) that a word value 0..255 gets.
double wordAmplitude(const GeneratorOptions& options, int wordValue);

// Rounds a count to the nearest 16-bit value, saturating.
std::int16_t toInt16(double counts);

class AptSignalGenerator {
public:
    // The options must have passed validateGeneratorOptions.
    AptSignalGenerator(AptLineSource source, GeneratorOptions options);

    const GeneratorOptions& options() const { return options_; }
    const AptLineSource& source() const { return source_; }
    int channels() const { return options_.kind == SignalKind::IQ ? 2 : 1; }
    std::int64_t totalFrames() const { return totalFrames_; }
    std::int64_t framesDone() const { return n_; }
    // Sample rate the signal was actually recorded with (nominal x (1 + ppm)).
    double effectiveRate() const { return effectiveRate_; }

    // Fills as many whole frames of `out` as the recording still has
    // (interleaved I, Q in I/Q mode); returns the number of frames. The
    // result does not depend on how the recording is cut into blocks.
    std::size_t generate(std::span<double> out);
    // The same as 16-bit samples (toInt16 of each), as a sound card gives them.
    std::size_t generateInt16(std::span<std::int16_t> out);
    void rewind();

private:
    void loadLine(long lineNumber);
    // Drop-outs and clicks on the sample just made (frame n_).
    void interrupt(double* frame, int channels) const;

    AptLineSource source_;
    GeneratorOptions options_;
    GaussianNoise noise_;
    double sigma_ = 0.0;
    std::int64_t dropoutPeriod_ = 0, dropoutLength_ = 0, clickPeriod_ = 0;   // samples
    double effectiveRate_ = 0.0;
    std::int64_t totalFrames_ = 0;
    std::int64_t n_ = 0;
    double firstWord_ = 0.0;        // word position of sample 0 within line 0
    double wordsPerSample_ = 0.0;
    double firstCycle_ = 0.0;       // subcarrier cycles at sample 0 (fraction)
    double cyclesPerSample_ = 0.0;
    double stepCos_ = 1.0, stepSin_ = 0.0;
    double phasorCos_ = 1.0, phasorSin_ = 0.0;
    double fmCycles_ = 0.0;
    std::int64_t lineStartWord_ = 0;   // word positions of the line in amplitudes_
    std::int64_t lineEndWord_ = -1;
    double amplitudes_[AptLayout::kWordsPerLine] = {};
    double amplitudeOfValue_[256] = {};
};

}  // namespace sorae::testsignal
