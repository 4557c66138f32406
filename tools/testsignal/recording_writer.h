// Writes what an AptSignalGenerator produces into a sound file with
// libsndfile, block by block, so long recordings need little memory.
#pragma once

#include <cstdint>
#include <string>

#include "testsignal/apt_signal_generator.h"

namespace sorae::testsignal {

enum class SampleFormat { Int16, Float };

struct RecordingResult {
    bool ok = false;
    std::string error;        // names the file and the reason
    std::int64_t frames = 0;  // frames written
};

// The container follows the file name: .wav (16-bit or float), .flac
// (16-bit only) or .ogg (Vorbis). 16-bit samples are the generator's counts
// rounded and saturated; float samples are counts / 32768.
// The generator is rewound first and runs to its end.
RecordingResult writeRecording(const std::string& path, AptSignalGenerator& generator,
                               SampleFormat format);

}  // namespace sorae::testsignal
