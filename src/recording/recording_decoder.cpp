#include "recording/recording_decoder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "capture/recording_reader.h"
#include "recording/block_stage.h"
#include "recording/threaded_block_reader.h"

namespace sorae {

RecordingDecoder::RecordingDecoder(LineStore& store)
    : store_(store), decoder_(store), handler_(*this) {}

// The demodulation ran ahead on the pipeline's threads: the block handler
// gets its results here, in order.
void RecordingDecoder::demodulateQuadrature(const double*, const double*, int, double, double*) {}

void RecordingDecoder::demodulateEnvelope(double* demodOutput) {
    if (envelope_ != nullptr) std::copy(envelope_, envelope_ + Demodulator::kEnvelopeSamples, demodOutput);
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
    // A pipeline of threads ahead of the line decoding: reading and
    // resampling the file; for I/Q the mixer and low-pass, then the
    // discriminator; the audio low-pass and decimation; the rest of the
    // envelope. Each stage does exactly what the block handler would do
    // with the block, in the same order, so the results are the same bits,
    // only sooner.
    const int framesPerBlock = reader.framesPerBlock();
    const double gainLinear = signalGainLinear(options.autoLevel ? 0 : options.signalGainDb);
    constexpr int kAudio = Demodulator::kFramesPerBlock48k;
    ThreadedBlockReader blocks(reader);
    std::vector<double> left(static_cast<std::size_t>(framesPerBlock));
    std::vector<double> right(static_cast<std::size_t>(framesPerBlock));
    const auto deinterleave = [&](const std::int16_t* frames) {
        for (int j = 0; j < framesPerBlock; ++j) {
            left[std::size_t(j)] = double(frames[2 * j]);
            right[std::size_t(j)] = double(frames[2 * j + 1]);
        }
    };
    std::unique_ptr<BlockStage> mixed, discriminated;
    if (options.quadrature) {
        mixed = std::make_unique<BlockStage>(2 * kAudio, kPipelineDepth, [&](double* out) {
            const std::int16_t* frames = blocks.next();
            if (frames == nullptr) return false;
            deinterleave(frames);
            demodulator_.mixAndDecimate(left.data(), right.data(), framesPerBlock, out, out + kAudio);
            return true;
        });
        discriminated = std::make_unique<BlockStage>(kAudio, kPipelineDepth, [&](double* out) {
            const double* decimated = mixed->next();
            if (decimated == nullptr) return false;
            demodulator_.discriminate(decimated, decimated + kAudio, (framesPerBlock + 1) / 2, gainLinear, out);
            return true;
        });
    }
    std::vector<double> audio(kAudio);
    BlockStage decimated(Demodulator::kDecimatedSamples, kPipelineDepth, [&](double* out) {
        const double* samples = nullptr;
        if (discriminated) {
            samples = discriminated->next();
        } else if (const std::int16_t* frames = blocks.next()) {
            deinterleave(frames);
            for (int k = 0; k < kAudio; ++k) audio[std::size_t(k)] = left[std::size_t(k)] * gainLinear;
            samples = audio.data();
        }
        if (samples == nullptr) return false;
        demodulator_.decimateAudio(samples, out);
        return true;
    });
    BlockStage envelope(Demodulator::kEnvelopeSamples, kPipelineDepth, [&](double* out) {
        const double* samples = decimated.next();
        if (samples == nullptr) return false;
        demodulator_.envelopeOfDecimated(samples, out);
        return true;
    });
    // The handler's own input is not used: its demodulation hooks take the
    // pipeline's results.
    const std::vector<std::int16_t> unused(std::size_t(framesPerBlock) * 2, 0);
    while (active_) {
        envelope_ = envelope.next();
        if (envelope_ == nullptr) break;
        handler_.handleBlock(unused.data(), framesPerBlock);
        ++result.blocks;
        if (options.progress) options.progress(result.blocks, expected);
    }
    envelope_ = nullptr;
    // Each stage is stopped after the one it reads from.
    blocks.stop();
    if (mixed) mixed->stop();
    if (discriminated) discriminated->stop();
    decimated.stop();
    envelope.stop();
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
