#include "recording/recording_decoder.h"

#include <algorithm>
#include <vector>

#include "capture/recording_reader.h"
#include "recording/demodulation_pipeline.h"

namespace sorae {

RecordingDecoder::RecordingDecoder(LineStore& store)
    : store_(store), decoder_(store), handler_(*this) {}

// The demodulation ran ahead on the pipeline's threads: the block handler
// gets its results here, in order.
void RecordingDecoder::demodulateQuadrature(const double*, const double*, int, double, double* demodOutput) {
    if (block_ != nullptr) std::copy(block_->audio.begin(), block_->audio.end(), demodOutput);
}

void RecordingDecoder::demodulateEnvelope(double* demodOutput) {
    if (block_ != nullptr) std::copy(block_->envelope.begin(), block_->envelope.end(), demodOutput);
}

// The line start the decoder confirmed, while it is recent: a few blocks
// without confirmation (noise, a drop-out) do not lose it.
int RecordingDecoder::lineStart() const {
    constexpr int kRecentBlocks = 8;
    return blocksSinceLock_ <= kRecentBlocks ? decoder_.lineOffset() : -1;
}

void RecordingDecoder::decodeBlock(const double* envelope, int /*samples*/) {
    const DecodeResult r = decoder_.decodeBlock(envelope, context_, nullptr);
    blocksSinceLock_ = r.syncLocked ? 0 : blocksSinceLock_ + 1;
    if (r.syncLocked) ++syncedBlocks_;
    if (r.storeFull) active_ = false;  // the pass ends with the 2400th line
}

RecordingDecodeResult RecordingDecoder::run(const RecordingDecodeOptions& options) {
    RecordingDecodeResult result;
    RecordingReader reader;
    QuadratureOptions iq;
    iq.carrierHz = options.iqCarrierHz;
    iq.swap = options.iqSwap;
    if (!reader.open(options.path,
                     options.quadrature ? RecordingKind::Quadrature : RecordingKind::Audio, iq)) {
        result.error = reader.errorMessage();
        return result;
    }
    if (options.quadrature) {
        result.iqCarrierHz = reader.carrierHz();
        result.iqCarrierSource = reader.carrierSource();
    }

    decoder_.resetForNewPass();
    // A recording is decoded as a whole: the sensors and the calibration
    // may take the whole pass's telemetry.
    decoder_.telemetry().setAverageOverPass(options.coherent);
    // With the level set by itself the envelope has its design level, and
    // a fixed slice holds the sync of weak signals better than one set by
    // the block's highest (noise) peak.
    decoder_.setSliceLevel(options.autoLevel && options.coherent ? std::optional<double>(LineDecoder::kDesignSliceLevel)
                                                               : std::nullopt);
    context_.passDirection = options.direction;
    active_ = true;
    syncedBlocks_ = 0;
    blocksSinceLock_ = 1 << 20;
    handler_.setSignalType(options.quadrature ? 1 : 0);
    // The automatic level replaces the hand-set gain.
    handler_.setSignalGain(options.autoLevel ? 0 : options.signalGainDb);
    handler_.setAutoLevel(false);
    handler_.setAutoLevel(options.autoLevel);  // a fresh measurement for each recording
    handler_.setWarmUpCounter(BlockHandler::kWarmUpLimit + 1);  // a file needs no warm-up
    if (options.quadrature) demodulator_.clearQuadratureLowPass();
    demodulator_.setCoherent(false);
    demodulator_.setCoherent(options.coherent);  // the loop starts afresh

    const long expected =
        reader.sourceRate() > 0
            ? long((reader.sourceFrames() * double(reader.outputRate()) / reader.sourceRate() +
                    reader.framesPerBlock() - 1) /
                   reader.framesPerBlock())
            : 0;
    // The file is read and demodulated on threads of their own, ahead of
    // the line decoding; the handler takes the results through its hooks.
    DemodulationPipeline pipeline(reader, demodulator_, signalGainLinear(options.autoLevel ? 0 : options.signalGainDb));
    const int framesPerBlock = reader.framesPerBlock();
    while (active_) {
        block_ = pipeline.next();
        if (block_ == nullptr) break;
        handler_.handleBlock(block_->frames.data(), framesPerBlock);
        ++result.blocks;
        if (options.progress) options.progress(result.blocks, expected);
    }
    block_ = nullptr;
    pipeline.stop();
    result.lengthSeconds =
        reader.sourceRate() > 0 ? double(reader.sourceFrames()) / reader.sourceRate() : 0.0;
    if (pipeline.error() != RecordingError::None) {
        // A recording broken off by a crash or a full disk: what was read
        // before the damage is still a pass; the error becomes a warning.
        if (result.blocks == 0) {
            result.error = pipeline.errorMessage();
            return result;
        }
        result.warning = pipeline.errorMessage();
    }

    const Telemetry& t = decoder_.telemetry();
    result.ok = true;
    result.linesStored = store_.lineCount;
    result.syncedBlocks = syncedBlocks_;
    result.storeFull = !active_;
    result.firstSyncLine = store_.firstSyncLine;
    result.lastSyncLine = store_.lastSyncLine;
    result.sensorNameA = t.sensorNameA;
    result.sensorNameB = t.sensorNameB;
    result.sensorUndecidedA = t.undecidedReason(0);
    result.sensorUndecidedB = t.undecidedReason(1);
    result.calibrationGain = t.calibrationGain;
    result.calibrationOffset = t.calibrationOffset;
    result.appliedLevelDb = handler_.appliedLevelDb();
    return result;
}

}  // namespace sorae
