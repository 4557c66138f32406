#include "recording/recording_decoder.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/recording_reader.h"
#include "recording/demodulation_pipeline.h"
#include "recording/recording_clock.h"
#include "recording/recording_gaps.h"

namespace sorae {

namespace {

std::string minutesAndSeconds(double seconds) {
    const long whole = long(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string DamagedSamplesText(const std::string& path, long long count, double firstSeconds) {
    char text[160];
    std::snprintf(text, sizeof text, "%lld samples (the first at %.1f s) were not numbers or far beyond "
                  "the recording's level and were taken as silence", count, firstSeconds);
    return path + ": " + text;
}

std::string SkippedStretchesText(const std::string& path, const std::vector<RecordingReader::Gap>& gaps) {
    double total = 0.0;
    for (const auto& g : gaps) total += g.lengthSeconds;
    char text[200];
    const bool one = gaps.size() == 1;
    std::snprintf(text, sizeof text, "damaged: %zu stretch%s (%.1f s in all, the first at %.1f s) could not "
                  "be read and %s skipped as silence", gaps.size(), one ? "" : "es", total,
                  gaps.front().atSeconds, one ? "was" : "were");
    return path + ": " + text;
}

std::string StoreFullText(const std::string& path, double stoppedAtSeconds, double lengthSeconds) {
    const std::string at = minutesAndSeconds(stoppedAtSeconds);
    return path + ": a pass holds at most 2400 lines; decoding stopped at " + at + " of " +
           minutesAndSeconds(lengthSeconds) +
           " and the rest was not read. To decode a later pass in it, cut the recording there, "
           "e.g. sox " + shellQuoted(path) + " rest.wav trim " + at;
}

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
    const DecodeResult r = decoder_.decodeBlock(envelope, context_, nullptr, blockSeconds_);
    rawPositions_.push_back(r.syncCandidate ? r.rawPosition : kNoSyncPosition);
    // A line found by its own sync, confirmed or tracked, keeps the line start fresh.
    const bool ownSync = r.syncLocked || (r.tracked && !r.placedByLineRate);
    blocksSinceLock_ = ownSync ? 0 : blocksSinceLock_ + 1;
    if (r.syncLocked) ++syncedBlocks_;
    if (r.placedByLineRate) ++linesByLineRate_;
    if (r.storeFull) active_ = false;  // the pass ends with the 2400th line
}

RecordingDecodeResult RecordingDecoder::run(const RecordingDecodeOptions& options) {
    progressReported_ = false;
    RecordingDecodeResult result = decodeMeasuringClock(options);
    // A recording begun long before the pass came up: the lines of noise
    // before it filled the store and cut the pass short. Read again from a
    // little before its first sync, so that the store holds the pass.
    if (result.ok && result.storeFull && result.firstSyncLine != kNoSyncLine &&
        result.firstSyncLine > kLeadLinesKept) {
        const long skip = result.firstSyncLine - kLeadLinesKept;
        RecordingDecodeResult later = decodeOnce(options, result.reclocked ? *result.clockRatio : 1.0, skip);
        if (later.ok && later.firstSyncLine != kNoSyncLine) {
            later.clockRatio = result.clockRatio;
            later.reclocked = result.reclocked;
            later.skippedBlocks = skip;
            result = std::move(later);
        } else {
            result = decodeOnce(options, result.reclocked ? *result.clockRatio : 1.0);
        }
    }
    // Sound the recording lost: the lines after it are timed with it added.
    if (result.ok && options.timeAcrossGaps) {
        result.gaps = FindRecordingGaps(store_);
        TimeLinesAcrossGaps(store_, result.gaps);
    }
    return result;
}

RecordingDecoder::Probe RecordingDecoder::probe(const RecordingDecodeOptions& options) {
    Probe found;
    const RecordingDecodeResult once = decodeOnce(options, 1.0);
    if (!once.ok) return found;
    if (once.storeFull && once.firstSyncLine != kNoSyncLine && once.firstSyncLine > kLeadLinesKept)
        found.leadBlocks = once.firstSyncLine - kLeadLinesKept;
    const std::optional<RecordingClock> clock = MeasureRecordingClock(rawPositions_, kEnvelopeBlockSamples);
    if (clock && ClockWorthCorrecting(*clock)) found.clockRatio = clock->ratio;
    return found;
}

RecordingDecodeResult RecordingDecoder::decodeMeasuringClock(const RecordingDecodeOptions& options) {
    RecordingDecodeResult first = decodeOnce(options, 1.0);
    if (!first.ok || !options.measureClock) return first;
    const std::optional<RecordingClock> clock = MeasureRecordingClock(rawPositions_, kEnvelopeBlockSamples);
    if (!clock) return first;
    first.clockRatio = clock->ratio;
    if (!ClockWorthCorrecting(*clock)) return first;
    // Again at the rate the samples really came at: the sync now stays put
    // from line to line, and the line times follow the satellite's clock.
    RecordingDecodeResult again = decodeOnce(options, clock->ratio);
    if (again.ok && again.syncedBlocks >= first.syncedBlocks) {
        again.clockRatio = clock->ratio;
        again.reclocked = true;
        return again;
    }
    // Should the measured rate ever do worse, the recording is decoded as
    // its header says, as it was at first.
    RecordingDecodeResult plain = decodeOnce(options, 1.0);
    plain.clockRatio = clock->ratio;
    return plain;
}

RecordingDecodeResult RecordingDecoder::decodeOnce(const RecordingDecodeOptions& options, double clockRatio,
                                                   long skipBlocks) {
    RecordingDecodeResult result;
    RecordingReader reader;
    QuadratureOptions iq;
    iq.carrierHz = options.iqCarrierHz;
    iq.swap = options.iqSwap;
    rawPositions_.clear();
    if (!reader.open(options.path,
                     options.quadrature ? RecordingKind::Quadrature : RecordingKind::Audio, iq,
                     clockRatio)) {
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
    decoder_.setTrackLineRate(options.trackLineRate);
    context_.passDirection = options.direction;
    active_ = true;
    syncedBlocks_ = 0;
    linesByLineRate_ = 0;
    blocksSinceLock_ = 1 << 20;
    handler_.setSignalType(options.quadrature ? 1 : 0);
    // The automatic level replaces the hand-set gain.
    handler_.setSignalGain(options.autoLevel ? 0 : options.signalGainDb);
    handler_.setAutoLevel(false);
    handler_.setAutoLevel(options.autoLevel);  // a fresh measurement for each recording
    // The coherent detector is linear and its slicer fixed: the level's
    // ceiling stops clicks only, far above the noise, which would otherwise
    // be clipped off white words alone and bend the greys.
    handler_.setAutoLevelCeiling(options.autoLevel && options.coherent ? AutoLevel::kLinearCeiling
                                                                       : AutoLevel::kClampLevel);
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
    // The quadrature stage's filters delay the audio a little more.
    const double envelopeLag = options.quadrature ? kQuadratureLagSeconds : 0.0;
    while (active_) {
        block_ = pipeline.next();
        if (block_ == nullptr) break;
        // Every block is half a second of the recording at the decoder's
        // rate, whatever rate the file had: the reader resamples.
        blockSeconds_ = double(result.blocks) * 0.5 - envelopeLag;
        if (result.blocks >= skipBlocks) handler_.handleBlock(block_->frames.data(), framesPerBlock);
        ++result.blocks;
        // A second reading of the recording (at its true rate, or past a
        // lead of noise) does not send the progress back to the start.
        if (options.progress && !progressReported_) options.progress(result.blocks, expected);
    }
    block_ = nullptr;
    pipeline.stop();
    progressReported_ = true;
    result.lengthSeconds =
        reader.sourceRate() > 0 ? double(reader.sourceFrames()) / reader.sourceRate() : 0.0;
    result.headerRate = reader.sourceRate();
    auto warn = [&result](const std::string& text) {
        if (!result.warning.empty()) result.warning += "; ";
        result.warning += text;
    };
    if (pipeline.error() != RecordingError::None) {
        // A recording broken off by a crash or a full disk: what was read
        // before the damage is still a pass; the error becomes a warning.
        if (result.blocks == 0) {
            result.error = pipeline.errorMessage();
            return result;
        }
        warn(pipeline.errorMessage());
    }
    // (A read error says already that the recording ends early.)
    if (pipeline.error() == RecordingError::None && !reader.truncationNote().empty())
        warn(reader.truncationNote());
    if (reader.damagedSamples() > 0) warn(DamagedSamplesText(options.path, reader.damagedSamples(),
                                                             reader.firstDamageSeconds()));
    if (!reader.gaps().empty()) warn(SkippedStretchesText(options.path, reader.gaps()));
    const double stoppedAt = double(result.blocks) * reader.framesPerBlock() / reader.outputRate();
    if (!active_ && stoppedAt + 1.0 < result.lengthSeconds)
        warn(StoreFullText(options.path, stoppedAt, result.lengthSeconds));

    decoder_.telemetry().finishPass();
    const Telemetry& t = decoder_.telemetry();
    result.ok = true;
    result.linesStored = store_.lineCount;
    result.syncedBlocks = syncedBlocks_;
    result.linesByLineRate = linesByLineRate_;
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
