// Line synchronisation and assembly for one pass: each 12000-sample envelope
// block (24 kHz, one line period) is hard-limited and correlated with the
// channel-A sync word; a position confirmed over three blocks becomes the
// line start. A block counts towards confirmation only when its best window
// scores clearly above what constant input (silence, a plain tone) scores
// and the envelope is modulated at all, so nothing but an APT signal locks.
// Positions agree across the block edge: 11999 and 3 are 4 samples apart. One full line is cut from the previous and the current block,
// given to the telemetry, averaged to 2080 words and stored as the two
// 1040-word halves in the LineStore. The decoded line lags the audio by one
// block. Everything is allocated at construction; DecodeBlock allocates nothing.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include "apt/decode_hooks.h"
#include "apt/line_store.h"
#include "apt/sync_correlator.h"
#include "apt/sync_pattern.h"
#include "apt/sync_tracker.h"
#include "apt/telemetry.h"

namespace sorae {

// What the block handler knows about the reception when a block arrives.
struct DecodeContext {
    int passDirection = 0;      // CurrentPassDirection: 0 = N>S, 1 = S>N
    bool showChannelB = false;  // ShowChannelB
};

struct DecodeResult {
    bool decoded = false;     // a line was stored (false once the store is full)
    bool syncLocked = false;  // this block confirmed the sync ("SYNC" on the status bar)
    int rawPosition = 0;      // the position this block's correlation gave
    int syncScore = 0;        // the best window's score, -225..225
    double modulationDepth = 0.0;   // see modulationDepth()
    bool syncCandidate = false;     // score and depth were enough to count
    bool storeFull = false;   // the store has reached 2400 lines: the pass ends
    // With line-rate tracking: the line was cut at a tracked position
    // (synchronised), and where the line rate put it, its own sync not found.
    bool tracked = false;
    bool placedByLineRate = false;
};

class LineDecoder {
public:
    // Constant input scores 61 to 63 (the register's leading zeros against
    // the mostly-low pattern), white or pink noise up to about 145; an APT
    // line scores near 225 when clean and about 170 at 5 dB SNR.
    static constexpr int kMinSyncScore = 155;
    static constexpr double kMinModulationDepth = 0.05;
    // Distance of two line positions, around the block edge.
    static int positionDistance(int a, int b);

    explicit LineDecoder(LineStore& store);

    // Where the envelope is sliced into bits for the sync correlation:
    // unset (the default), at half the block's highest value; set, at this
    // fixed level. An envelope scaled to the design level (white 1530,
    // black about 106) is best sliced between the two: noise peaks then
    // cannot lift the slicer above the sync pulses of a weak signal.
    static constexpr double kDesignSliceLevel = (1530.0 + 106.0) / 2.0;
    void setSliceLevel(std::optional<double> level) { sliceLevel_ = level; }

    // Line-rate tracking (SyncTracker), for recordings; off by default, and
    // off the decoder is the live chain's to the bit. On, the block
    // correlator finds the line; from then on each line that the block
    // correlator does not confirm is cut where its own sync lies near where
    // the line rate puts it, or where the line rate puts it when its sync is
    // drowned; lines whose own sync was found
    // count as synchronised for the telemetry. Switching it on or off loses
    // the track.
    void setTrackLineRate(bool on);
    bool trackLineRate() const { return tracker_ != nullptr; }

    // DecodeBlock: envelope holds kEnvelopeBlockSamples samples. hooks may be null.
    // blockSeconds is when the block's first envelope sample was taken, in
    // seconds after the first sample of the recording or reception (NaN when
    // unknown); the stored line's sync time follows from it and the offset
    // the line is cut at, so a lost block or a resampled recording moves
    // no line in time.
    DecodeResult decodeBlock(const double* envelope, const DecodeContext& context,
                             DecodeHooks* hooks,
                             double blockSeconds = std::numeric_limits<double>::quiet_NaN());

    // How far the sync A of a line lies before the offset the line is cut
    // at, in envelope samples, for an envelope made from 48 kHz audio by the
    // demodulator: the filters' lag plus where the correlator's position
    // falls within the sync word. Found by decoding generated recordings
    // whose line starts are known; lines cut at an offset not yet confirmed
    // again (just after lost samples) carry the time they were cut at.
    static constexpr double kSyncLeadSamples = 123.0;

    // The decoder's share of the pass reset: LineCount 0, AgreeCount 0,
    // FirstSyncLine -999, LastSyncLine 0, sensors unidentified, gain 1,
    // offset 0. LineOffset, LastRawPosition, PreviousBits and PreviousBlock
    // carry over from the last pass, as do the telemetry histories.
    void resetForNewPass();

    Telemetry& telemetry() { return telemetry_; }
    const Telemetry& telemetry() const { return telemetry_; }
    const LineStore& store() const { return store_; }

    bool syncLocked() const { return syncLocked_; }
    int agreeCount() const { return agreeCount_; }
    int lineOffset() const { return lineOffset_; }
    int lastRawPosition() const { return lastRawPosition_; }
    int lineCount() const { return store_.lineCount; }
    // The last assembled line as 2080 averaged words (valid after a decoded block).
    const double* lineWords() const { return lineBuffer_.data(); }

private:
    void confirm(int position, bool candidate);

    LineStore& store_;
    Telemetry telemetry_;
    SyncCorrelator correlator_;
    std::unique_ptr<SyncTracker> tracker_;   // set while line-rate tracking is on

    std::array<std::uint8_t, kJoinedBits> joined_{};   // PreviousBits, then this block's bits
    std::array<double, kEnvelopeBlockSamples> previousBlock_{};   // PreviousBlock
    std::array<double, kEnvelopeBlockSamples> lineBuffer_{};      // LineBuffer

    double previousBlockSeconds_ = std::numeric_limits<double>::quiet_NaN();
    std::optional<double> sliceLevel_;
    int bestStep_ = 0;          // kept when no window scores above 0
    int lastRawPosition_ = 0;   // LastRawPosition
    bool lastWasCandidate_ = false;
    int agreeCount_ = 0;        // AgreeCount
    int lineOffset_ = 0;        // LineOffset
    bool syncLocked_ = false;   // SyncLocked
};

}  // namespace sorae
