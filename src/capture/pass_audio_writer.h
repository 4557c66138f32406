// Keeps the raw sound of a reception as a FLAC file: the captured blocks,
// exactly as the sound card gave them (48 kHz stereo audio, or 96 kHz stereo
// I/Q), are appended while the pass is received. The file is written under
// a temporary name beside the final one and renamed when it is complete, so
// a half-written recording never carries the final name.
//
// A failure (folder missing, disk full, rename refused) is reported through
// the return values and errorMessage(); nothing throws, and the caller's
// reception goes on. After a failed write, further blocks are dropped and
// the partial file is left under its temporary name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace sorae {

class PassAudioWriter {
public:
    PassAudioWriter();
    ~PassAudioWriter();  // abandons an unfinished file
    PassAudioWriter(const PassAudioWriter&) = delete;
    PassAudioWriter& operator=(const PassAudioWriter&) = delete;

    // Starts a new file that will be called `finalPath` once closed; writes
    // to temporaryPathFor(finalPath) meanwhile. sampleRate is 48000 or 96000;
    // the file always has two 16-bit channels. Abandons a file still open.
    bool open(const std::string& finalPath, int sampleRate);

    // Appends `count` interleaved stereo frames. Returns false (and drops
    // the block) once a write has failed or when no file is open.
    bool append(const int16_t* frames, int count);

    // Finishes the file and gives it its final name. Returns false if any
    // write failed or the file could not be finished or renamed; the data
    // then stays under the temporary name.
    bool close();

    // Stops writing and deletes the temporary file.
    void abandon();

    bool isOpen() const;
    bool failed() const;
    long long framesWritten() const;
    const std::string& finalPath() const;
    const std::string& errorMessage() const;

    static std::string temporaryPathFor(const std::string& finalPath);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sorae
