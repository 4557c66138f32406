// Keeps the raw sound of a reception as a FLAC file: the captured blocks,
// exactly as the sound card gave them (48 kHz stereo audio, or 96 kHz stereo
// I/Q), are appended while the pass is received. The file is written under
// a working name (the final name + ".part") and renamed when it is complete,
// so a half-written recording never carries the final name.
//
// No file is ever replaced: a final name that is taken, or whose working
// file exists (left by a killed program, or being written by another one),
// gets a numbered suffix. While it is written, the working file holds an
// exclusive lock (flock), so that a program starting meanwhile can tell a
// recording in progress from one a crash left (see leftover_recordings.h).
//
// A failure (folder missing, disk full, rename refused) is reported through
// the return values and errorMessage(); nothing throws, and the caller's
// reception goes on. After a failed write, further blocks are dropped and
// the partial file is left under its working name.
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

    // Starts a new file that will be called finalPath (or its first numbered
    // variant that is free, working file included) once closed. sampleRate
    // is 48000 or 96000; the file always has two 16-bit channels. Abandons
    // a file still open.
    bool open(const std::string& finalPath, int sampleRate);
    // The same with a working file of the caller's choosing, which must not
    // exist yet.
    bool open(const std::string& finalPath, const std::string& workingPath, int sampleRate);

    // Notes when the recording's first sample was taken (ISO 8601 with its
    // zone, e.g. "2025-01-15T22:31:05.250Z") in the file's date tag, so that
    // a later decode places the pass exactly. Only before the first append.
    bool setStartTime(const std::string& iso8601);

    // Appends `count` interleaved stereo frames. Returns false (and drops
    // the block) once a write has failed or when no file is open.
    bool append(const int16_t* frames, int count);

    // Finishes the file and gives it its final name, or the first numbered
    // variant of it no file has. Returns false if any write failed or the
    // file could not be finished or renamed; the data then stays under the
    // working name.
    bool close();
    // close() with another final name.
    bool closeAs(const std::string& finalPath);

    // Stops writing and deletes the working file.
    void abandon();

    bool isOpen() const;
    bool failed() const;
    long long framesWritten() const;
    // The name the file gets, or got when close() succeeded.
    const std::string& finalPath() const;
    const std::string& workingPath() const;
    const std::string& errorMessage() const;

    static std::string temporaryPathFor(const std::string& finalPath);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sorae
