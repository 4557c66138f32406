// Keeps the raw sound of one reception: the captured blocks that are decoded
// go, as the sound card gave them (48 kHz audio or 96 kHz I/Q, both stereo),
// into a FLAC file in the pictures folder. The file's name is only known at
// the end of the pass (the stamp of the pictures), so it is written under a
// working name and renamed when the pass ends; a pass that never
// synchronised leaves no file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/pass_audio_writer.h"

namespace sorae {

class ReceptionAudioRecorder {
public:
    // The working name in the pictures folder while a pass is recorded.
    static constexpr const char* kWorkingName = "receiving.flac";

    ReceptionAudioRecorder();

    // Starts a recording in picsFolder (created when missing). False with
    // errorMessage() when the file cannot be made.
    bool start(const std::string& picsFolder, int sampleRate);
    bool active() const { return writer_.isOpen(); }
    int sampleRate() const { return sampleRate_; }

    // Appends one captured block, de-interleaved into doubles holding 16-bit
    // counts. Returns false only for the first block that could not be
    // written (the caller reports it once); later blocks are dropped quietly.
    bool append(const double* left, const double* right, int frames);

    struct Finish {
        bool ok = true;       // false: errorMessage() says what went wrong
        std::string path;     // the kept file, "" when none was kept
    };
    // Ends the recording: keep gives it the name picsFolder/stem.flac, else
    // it is deleted. Nothing happens when no recording is running.
    Finish finish(bool keep, const std::string& stem);

    const std::string& errorMessage() const { return error_; }

private:
    PassAudioWriter writer_;
    std::vector<std::int16_t> interleaved_;
    std::string folder_;
    std::string error_;
    int sampleRate_ = 0;
    bool failureTold_ = false;
};

}  // namespace sorae
