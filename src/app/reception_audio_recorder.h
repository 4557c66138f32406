// Keeps the raw sound of one reception: the captured blocks that are decoded
// go, as the sound card gave them (48 kHz audio or 96 kHz I/Q, both stereo),
// into a FLAC file in the pictures folder. The file is written under the
// pass's own working name (stem.flac.part, the stem as known at the start)
// and gets its final name, that of the pictures, when the pass ends; no
// recording ever replaces another (a taken name gets a numbered suffix). A
// pass that never synchronised keeps its sound as well (to be decoded again
// by hand); only a recording that holds no sound leaves no file.
//
// The pictures come first: the sound is not started, and stops, while the
// disk has no more than the free-space guard's reserve free; what was
// recorded until then is kept as a complete, shorter file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/free_space_guard.h"
#include "capture/pass_audio_writer.h"

namespace sorae {

class ReceptionAudioRecorder {
public:
    explicit ReceptionAudioRecorder(FreeSpaceGuard guard = FreeSpaceGuard());

    // Starts a recording of the pass `stem` in picsFolder (created when
    // missing). False with errorMessage() when the file cannot be made or
    // the disk is too full for it. startIso8601, when given, is the UTC of
    // the first sample, kept in the file's date tag.
    bool start(const std::string& picsFolder, int sampleRate, const std::string& stem,
               const std::string& startIso8601 = {});
    bool active() const { return writer_.isOpen(); }
    int sampleRate() const { return sampleRate_; }
    // The file being written.
    const std::string& workingPath() const { return writer_.workingPath(); }

    // Appends one captured block, de-interleaved into doubles holding 16-bit
    // counts. Returns false only for the first block that could not be
    // written or was refused for want of space (the caller reports
    // errorMessage() once); later blocks are dropped quietly.
    bool append(const double* left, const double* right, int frames);

    struct Finish {
        bool ok = true;       // false: errorMessage() says what went wrong
        std::string path;     // the kept file, "" when none was kept
        std::string note;     // why the kept file is shorter than the pass, if it is
    };
    // Ends the recording: one that holds sound gets the name
    // picsFolder/stem.flac (or a numbered variant), an empty one is deleted.
    // Nothing happens when no recording is running.
    Finish finish(const std::string& stem);

    const std::string& errorMessage() const { return error_; }

private:
    std::string lowSpaceText(const char* what) const;

    FreeSpaceGuard guard_;
    PassAudioWriter writer_;
    std::vector<std::int16_t> interleaved_;
    std::string folder_;
    std::string error_;
    int sampleRate_ = 0;
    bool failureTold_ = false;
    bool outOfSpace_ = false;
};

}  // namespace sorae
