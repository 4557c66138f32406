#include "recording/recording_decoder.h"

#include <vector>

#include "capture/recording_reader.h"
#include "recording/threaded_block_reader.h"

namespace sorae {

RecordingDecoder::RecordingDecoder(LineStore& store)
    : store_(store), decoder_(store), handler_(*this) {}

void RecordingDecoder::demodulateQuadrature(const double* left, const double* right, int frames,
                                            double gainLinear, double* demodOutput) {
    demodulator_.demodulateQuadrature(left, right, frames, gainLinear, demodOutput);
}

void RecordingDecoder::demodulateEnvelope(double* demodOutput) {
    demodulator_.demodulateEnvelope(demodOutput);
}

void RecordingDecoder::decodeBlock(const double* envelope, int /*samples*/) {
    const DecodeResult r = decoder_.decodeBlock(envelope, context_, nullptr);
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
    context_.passDirection = options.direction;
    active_ = true;
    syncedBlocks_ = 0;
    handler_.setSignalType(options.quadrature ? 1 : 0);
    // The automatic level replaces the hand-set gain.
    handler_.setSignalGain(options.autoLevel ? 0 : options.signalGainDb);
    handler_.setAutoLevel(false);
    handler_.setAutoLevel(options.autoLevel);  // a fresh measurement for each recording
    handler_.setWarmUpCounter(BlockHandler::kWarmUpLimit + 1);  // a file needs no warm-up
    if (options.quadrature) demodulator_.clearQuadratureLowPass();

    const long expected =
        reader.sourceRate() > 0
            ? long((reader.sourceFrames() * double(reader.outputRate()) / reader.sourceRate() +
                    reader.framesPerBlock() - 1) /
                   reader.framesPerBlock())
            : 0;
    // The file is read and resampled on a thread of its own, ahead of the chain.
    const int framesPerBlock = reader.framesPerBlock();
    ThreadedBlockReader blocks(reader);
    while (active_) {
        const std::int16_t* frames = blocks.next();
        if (!frames) break;
        handler_.handleBlock(frames, framesPerBlock);
        ++result.blocks;
        if (options.progress) options.progress(result.blocks, expected);
    }
    blocks.stop();
    result.lengthSeconds =
        reader.sourceRate() > 0 ? double(reader.sourceFrames()) / reader.sourceRate() : 0.0;
    if (blocks.error() != RecordingError::None) {
        // A recording broken off by a crash or a full disk: what was read
        // before the damage is still a pass; the error becomes a warning.
        if (result.blocks == 0) {
            result.error = blocks.errorMessage();
            return result;
        }
        result.warning = blocks.errorMessage();
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
    result.calibrationGain = t.calibrationGain;
    result.calibrationOffset = t.calibrationOffset;
    result.appliedLevelDb = handler_.appliedLevelDb();
    return result;
}

}  // namespace sorae
