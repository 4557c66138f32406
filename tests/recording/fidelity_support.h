// Generated recordings decoded through the file chain and measured against
// the pictures they were made from: the gain of the decoded picture over
// stretches of the pass, the mean error of grey bars, the correlation.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "recording/recording_decoder.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"

namespace sorae::testsupport {

// Scenes for channel pictures, 909 words wide.
enum class Scene {
    Bars,         // 13 vertical bars, grey 10, 30 .. 250
    CloudyLand,   // land and sea under scattered bright cloud that comes and goes
    Gradient,     // black to white, left to right
};
testsignal::GreyPicture makeScene(Scene scene, int height, unsigned seed);

struct FidelityRecording {
    testsignal::GeneratorOptions generator;
    Scene sceneA = Scene::CloudyLand;
    Scene sceneB = Scene::CloudyLand;
    int sensorA = 2;
    int sensorB = 4;
    // Level of the signal (and its noise) against time in seconds, on top
    // of the generator's; unset: steady.
    std::function<double(double seconds)> fade;
};

// Writes a 16-bit mono WAV; empty when it failed (the reason in *error).
std::string writeFidelityRecording(const std::string& path, const FidelityRecording& recording,
                                   testsignal::AptLineSource& source, std::string* error);
testsignal::AptLineSource makeSource(const FidelityRecording& recording);

struct ChannelFit {
    int lineShift = 0;                // decoded line + shift = source line
    std::vector<double> stretchGain;  // fitted gain of each stretch
    double gainWander = 0.0;          // standard deviation / mean of stretchGain
    double correlation = 0.0;         // of the whole picture area with the truth
    std::vector<double> barError;     // decoded - true grey of each bar (Bars scene)
};

// The calibrated picture area of a channel against its source, with the
// line alignment searched; stretches of `stretchLines` lines, fits only
// from `firstLine` on (after the level and the calibration settle).
ChannelFit fitChannel(const LineStore& store, const RecordingDecodeResult& result,
                      const testsignal::AptLineSource& source, int channel, long firstLineNumber,
                      int stretchLines, int firstLine);

}  // namespace sorae::testsupport
