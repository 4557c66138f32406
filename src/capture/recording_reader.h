// Reads a sound recording (anything libsndfile opens: WAV, FLAC, OGG, ...)
// and hands it out in exactly the blocks the sound card gives the block
// handler, so a file is decoded on the same path as live capture:
//
//  - audio: mono or stereo at any sample rate, resampled to 48 kHz (libsoxr,
//    high quality; passed through untouched when already at 48 kHz) and
//    delivered as 24000 interleaved stereo int16 frames; a mono recording is
//    copied to both channels;
//  - I/Q: a stereo recording (I left, Q right; swapped on request) at 48 kHz
//    or more, delivered as 48000 interleaved stereo int16 frames at 96 kHz
//    with the FM carrier at -24 kHz, where the receiver's IF output has it
//    and the demodulator expects it. The carrier may sit anywhere the FM
//    band (+-20 kHz) fits in the recording's band: it is moved at the
//    recording's own rate to 0 Hz, resampled to 96 kHz (libsoxr) and turned
//    exactly by a quarter of a turn per frame to -24 kHz. A 96 kHz recording
//    is moved in one step, and one with the carrier at -24 kHz is passed
//    through as it is, so it reaches the demodulator bit for bit. Where the
//    carrier lies is given, or found from the first seconds (CarrierSearch).
//
// Floating-point samples are scaled by 32768 to int16, rounded to nearest
// and clipped. Samples that are not numbers, infinite, or far beyond the
// recording's own level (damage, not signal) are taken as silence and
// counted, so that they cost at most the lines they fall in. Damage in a
// compressed file (FLAC, ...) that makes the decoder lose its place is
// skipped: reading goes on from the first readable place after it, the
// gap filled with silence so that the timing stays, and the gap is listed.
// A file shorter than its header says (cut off while being written or
// copied) is read as far as it goes and says so in truncationNote(). The file is read in small chunks, so an hour-long recording
// never sits in memory. The last, partial block is padded with zeros and
// lastBlockFrames() says how many of its frames are real.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sorae {

enum class RecordingKind {
    Audio,       // demodulated receiver audio, any rate
    Quadrature,  // stereo I/Q, 48 kHz or more
};

// Where the carrier of an I/Q recording was taken from.
enum class CarrierSource {
    Given,    // QuadratureOptions::carrierHz
    Found,    // the first seconds of the recording
    Assumed,  // none stood out: the receiver's IF, -24 kHz
};

struct QuadratureOptions {
    std::optional<double> carrierHz;  // unset: found from the first seconds
    bool swap = false;                // Q left, I right
};

enum class RecordingError {
    None,
    CannotOpen,       // missing, unreadable, not a sound file, malformed header
    Unsupported,      // channels, sample rate, an I/Q file below 48 kHz, a carrier
                      // outside the band or none found
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
    static constexpr int kMinQuadratureRate = 48000;
    // Where the demodulator expects the carrier of the 96 kHz stream.
    static constexpr double kQuadratureCarrierHz = -24000.0;
    // Half the Carson bandwidth of a NOAA downlink (17 kHz deviation of a
    // 2.4 kHz subcarrier carrying words up to 2080 Hz): what must fit.
    static constexpr double kFmHalfBandHz = 20000.0;
    // A found carrier this close to -24 kHz is taken as the receiver's IF
    // output itself; the demodulator's DC removal takes the small offset.
    static constexpr double kIfSnapHz = 500.0;
    static constexpr double kCarrierSearchSeconds = 3.0;

    RecordingReader();
    ~RecordingReader();
    RecordingReader(const RecordingReader&) = delete;
    RecordingReader& operator=(const RecordingReader&) = delete;

    // Opens `path` as the given kind; closes whatever was open before. On
    // failure returns false, and error()/errorMessage() tell why (the message
    // names the file).
    // For I/Q, `iq` says where the carrier is and whether I and Q are swapped.
    // A recording whose recorder's clock ran off is read as made at
    // clockRatio times its header's rate, so that it comes out at a true
    // 48 kHz (96 kHz for I/Q; RecordingClock).
    bool open(const std::string& path, RecordingKind kind, const QuadratureOptions& iq = {},
              double clockRatio = 1.0);
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

    // I/Q: where the carrier of the recording was taken to be, and why.
    double carrierHz() const;
    CarrierSource carrierSource() const;

    RecordingError error() const;
    const std::string& errorMessage() const;

    // Samples taken as silence because they were damage, and where the
    // first of them was (seconds into the recording).
    long long damagedSamples() const;
    double firstDamageSeconds() const;
    // Stretches skipped because the decoder could not read them.
    struct Gap {
        double atSeconds = 0.0;
        double lengthSeconds = 0.0;
    };
    const std::vector<Gap>& gaps() const;
    // Empty unless the header promises more sound than the file holds.
    const std::string& truncationNote() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Converts one floating-point sample (full scale +-1.0) to int16: x 32768,
// rounded to nearest, clipped to -32768 .. 32767; NaN becomes 0.
int16_t floatSampleToInt16(double x);

}  // namespace sorae
