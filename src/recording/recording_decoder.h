// Decodes a recording through the same block handler, demodulator and line
// decoder that the sound card feeds, into a line store: the engine behind
// `sorae-apt decode`. No window, no device, no clock.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_decoder.h"
#include "apt/line_store.h"
#include "capture/block_handler.h"
#include "capture/demodulator.h"
#include "capture/recording_reader.h"
#include "recording/demodulation_pipeline.h"
#include "recording/recording_gaps.h"

namespace sorae {

struct RecordingDecodeOptions {
    std::string path;
    bool quadrature = false;  // a stereo I/Q recording (I left, Q right)
    std::optional<double> iqCarrierHz;  // where the FM carrier sits; unset: found from the spectrum
    bool iqSwap = false;      // the recording holds Q left and I right
    bool autoLevel = true;    // scale the envelope to the design level by itself
    bool coherent = true;     // detect the subcarrier coherently (no noise bias in the greys)
    bool trackLineRate = true;  // follow the line position from line to line (weak signals)
    int signalGainDb = 0;     // as the input dialog's slider: -20 is +20 dB (without autoLevel)
    int direction = 0;        // 0 = N>S, 1 = S>N (the live views only)
    // Measure the recorder's clock against the line rate and, when it ran
    // off by more than kMinCorrectionPpm, decode again at the measured
    // rate (RecordingClock).
    bool measureClock = true;
    // Find sound lost from the recording and time the lines after it with
    // the loss added (RecordingGap).
    bool timeAcrossGaps = true;
    // Called after each block with the blocks done and the blocks expected.
    std::function<void(long done, long expected)> progress;
};

struct RecordingDecodeResult {
    bool ok = false;
    std::string error;        // names the file and the reason
    long blocks = 0;          // half-second blocks read
    double lengthSeconds = 0; // the recording's length as its header gives it
    int headerRate = 0;       // the sample rate its header gives
    int linesStored = 0;
    int syncedBlocks = 0;     // blocks that confirmed the sync
    int linesByLineRate = 0;  // lines placed where the line rate put them, their own sync not found
    bool storeFull = false;   // the recording was longer than the store
    int firstSyncLine = kNoSyncLine;
    int lastSyncLine = 0;
    std::string sensorNameA;
    std::string sensorNameB;
    std::string sensorUndecidedA;          // why a sensor is unnamed; empty when named
    std::string sensorUndecidedB;
    double calibrationGain = 1.0;
    double calibrationOffset = 0.0;
    double appliedLevelDb = 0.0;           // the gain the automatic level settled on
    std::optional<double> iqCarrierHz;     // where the carrier was taken to be
    CarrierSource iqCarrierSource = CarrierSource::Given;
    // The recorder's clock over its header's rate, measured from the line
    // rate (when measured); reclocked: decoded at the measured rate.
    std::optional<double> clockRatio;
    bool reclocked = false;
    // Blocks read past at the start: noise before the pass that would have
    // filled the store (their lines are not stored; `blocks` counts them).
    long skippedBlocks = 0;
    std::vector<RecordingGap> gaps;        // sound lost from the recording, in order
    std::string warning;                   // e.g. a read error after some good blocks, damage
                                           // skipped, the store full before the end ("; " between)
};

// The warnings of a decode, one sentence each, naming the recording.
std::string DamagedSamplesText(const std::string& path, long long count, double firstSeconds);
std::string SkippedStretchesText(const std::string& path, const std::vector<RecordingReader::Gap>& gaps);
std::string StoreFullText(const std::string& path, double stoppedAtSeconds, double lengthSeconds);

class RecordingDecoder : private BlockHooks {
public:
    // Lines of a recording kept before the first sync of a pass that
    // would not fit the store otherwise (a minute).
    static constexpr int kLeadLinesKept = 120;
    // How much later the audio of an I/Q recording comes out of the
    // quadrature stage than the recording's samples went in.
    static constexpr double kQuadratureLagSeconds = 2.0 / 24000.0;

    explicit RecordingDecoder(LineStore& store);

    RecordingDecodeResult run(const RecordingDecodeOptions& options);

    // What a player of the recording should know before it starts (one
    // decode): the ratio to read an audio recording at (RecordingReader::open)
    // so that its lines come half a second apart, when its recorder's clock
    // is far enough off to matter; and the blocks of noise to pass over
    // before the pass, when they would fill the store and cut it short.
    struct Probe {
        std::optional<double> clockRatio;
        long leadBlocks = 0;
    };
    Probe probe(const RecordingDecodeOptions& options);

    const LineDecoder& decoder() const { return decoder_; }

private:
    // One decode of the recording, read as made at clockRatio times its
    // header's rate, its first skipBlocks half-second blocks read past.
    RecordingDecodeResult decodeOnce(const RecordingDecodeOptions& options, double clockRatio, long skipBlocks = 0);
    // decodeOnce, and again at the rate the recorder's clock really ran at
    // when that is far from its header's.
    RecordingDecodeResult decodeMeasuringClock(const RecordingDecodeOptions& options);

    bool receptionActive() const override { return active_; }
    bool syncLocked() const override { return decoder_.syncLocked(); }
    int lineStart() const override;
    void demodulateQuadrature(const double* left, const double* right, int frames,
                              double gainLinear, double* demodOutput) override;
    void demodulateEnvelope(double* demodOutput) override;
    void decodeBlock(const double* envelope, int samples) override;

    LineStore& store_;
    Demodulator demodulator_;  // each part on a thread of the pipeline
    const DemodulatedBlock* block_ = nullptr;  // the block being handled
    LineDecoder decoder_;
    BlockHandler handler_;
    DecodeContext context_;
    bool active_ = true;
    int syncedBlocks_ = 0;
    int linesByLineRate_ = 0;
    double blockSeconds_ = 0.0;  // when the block being handled began
    int blocksSinceLock_ = 1 << 20;
    bool progressReported_ = false;  // the first reading of this run has told its progress
    std::vector<int> rawPositions_;  // each block's raw sync position, kNoSyncPosition without a candidate
};

}  // namespace sorae
