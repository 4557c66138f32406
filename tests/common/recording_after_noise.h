// A recording that holds leadSeconds of Gaussian noise before what the
// generator sends, as a recorder started long before the pass came up:
// written as a 16-bit mono WAV at the generator's rate.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "common/wav16.h"
#include "testsignal/apt_signal_generator.h"

namespace sorae::testsupport {

inline bool WriteRecordingAfterNoise(const std::string& path, testsignal::AptSignalGenerator& generator,
                                     double leadSeconds, double noiseCounts = 300.0) {
    const int rate = generator.options().sampleRate;
    const std::size_t lead = std::size_t(leadSeconds * rate);
    std::vector<std::int16_t> samples(lead + std::size_t(generator.totalFrames()));
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, noiseCounts);
    for (std::size_t i = 0; i < lead; ++i) samples[i] = testsignal::toInt16(noise(random));
    generator.generateInt16(std::span<std::int16_t>(samples).subspan(lead));
    return WriteWav16(path, rate, 1, samples);
}

}  // namespace sorae::testsupport
