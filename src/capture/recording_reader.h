// Reads a sound recording (anything libsndfile opens: WAV, FLAC, OGG, ...)
// and hands it out in exactly the blocks the sound card gives the block
// handler, so a file is decoded on the same path as live capture:
//
//  - audio: mono or stereo at any sample rate, resampled to 48 kHz (libsoxr,
//    high quality; passed through untouched when already at 48 kHz) and
//    delivered as 24000 interleaved stereo int16 frames; a mono recording is
//    copied to both channels;
//  - I/Q: a 96 kHz stereo recording (I left, Q right), never resampled,
//    delivered as 48000 interleaved stereo int16 frames.
//
// Floating-point samples are scaled by 32768 to int16, rounded to nearest
// and clipped. The file is read in small chunks, so an hour-long recording
// never sits in memory. The last, partial block is padded with zeros and
// lastBlockFrames() says how many of its frames are real.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace sorae {

enum class RecordingKind {
    Audio,       // demodulated receiver audio, any rate
    Quadrature,  // 96 kHz stereo I/Q
};

enum class RecordingError {
    None,
    CannotOpen,       // missing, unreadable, not a sound file, malformed header
    Unsupported,      // channels, sample rate, or an I/Q file not at 96 kHz stereo
    Empty,            // a valid file without a single frame
    ReadFailed,       // the file broke off with an error while being read
    ResamplerFailed,  // libsoxr refused the conversion
};

class RecordingReader {
public:
    static constexpr int kAudioRate = 48000;
    static constexpr int kQuadratureRate = 96000;
    static constexpr int kAudioFramesPerBlock = 24000;
    static constexpr int kQuadratureFramesPerBlock = 48000;
    static constexpr int kMinSourceRate = 1000;
    static constexpr int kMaxSourceRate = 1536000;

    RecordingReader();
    ~RecordingReader();
    RecordingReader(const RecordingReader&) = delete;
    RecordingReader& operator=(const RecordingReader&) = delete;

    // Opens `path` as the given kind; closes whatever was open before. On
    // failure returns false, and error()/errorMessage() tell why (the message
    // names the file).
    bool open(const std::string& path, RecordingKind kind);
    void close();
    bool isOpen() const;

    // Writes framesPerBlock() stereo frames (2 * framesPerBlock() int16
    // values, left first) to `frames`. Returns false, writing nothing, when
    // the recording is exhausted or a read error ended it: then check
    // error(), which stays None for a recording read to its end.
    bool nextBlock(int16_t* frames);

    // Real (not padding) frames in the block nextBlock() last delivered.
    int lastBlockFrames() const;
    long long blocksDelivered() const;

    int framesPerBlock() const;  // 24000 for audio, 48000 for I/Q
    int outputRate() const;      // 48000 for audio, 96000 for I/Q
    RecordingKind kind() const;

    // What the file's header says.
    int sourceRate() const;
    int sourceChannels() const;
    long long sourceFrames() const;

    RecordingError error() const;
    const std::string& errorMessage() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Converts one floating-point sample (full scale +-1.0) to int16: x 32768,
// rounded to nearest, clipped to -32768 .. 32767; NaN becomes 0.
int16_t floatSampleToInt16(double x);

}  // namespace sorae
