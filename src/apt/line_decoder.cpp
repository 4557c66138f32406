#include "apt/line_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "apt/line_assembly.h"

namespace sorae {
namespace {
constexpr int kAgreeSamples = 10;   // positions within this many samples agree
constexpr double kEnvelopeRate = 24000.0;   // Hz
}

LineDecoder::LineDecoder(LineStore& store) : store_(store) {}

void LineDecoder::resetForNewPass() {
    store_.lineCount = 0;
    store_.firstSyncLine = kNoSyncLine;
    store_.lastSyncLine = 0;
    store_.clearLineSeconds();
    agreeCount_ = 0;
    if (tracker_) tracker_->reset();
    telemetry_.resetForNewPass();
}

void LineDecoder::setTrackLineRate(bool on) {
    if (on)
        tracker_ = std::make_unique<SyncTracker>();
    else
        tracker_.reset();
}

int LineDecoder::positionDistance(int a, int b) {
    const int d = std::abs(a - b) % kEnvelopeBlockSamples;
    return std::min(d, kEnvelopeBlockSamples - d);
}

void LineDecoder::confirm(int position, bool candidate) {
    if (candidate && lastWasCandidate_ &&
        positionDistance(position, lastRawPosition_) <= kAgreeSamples) {
        if (agreeCount_ >= 1) {
            syncLocked_ = true;
            lineOffset_ = position;
            // This block's line is the first one cut at a confirmed offset;
            // the line before it was cut where the offset stood before.
            if (store_.firstSyncLine == kNoSyncLine) store_.firstSyncLine = store_.lineCount;
            // the line of this block is not stored yet: this names the one before
            store_.lastSyncLine = store_.lineCount - 1;
        } else {
            ++agreeCount_;
        }
    } else {
        agreeCount_ = 0;
    }
    lastRawPosition_ = position;
    lastWasCandidate_ = candidate;
}

DecodeResult LineDecoder::decodeBlock(const double* envelope, const DecodeContext& context,
                                      DecodeHooks* hooks, double blockSeconds) {
    DecodeResult result;
    // The pass ends with the 2400th line; a block that still arrives must not
    // write past the store.
    if (store_.lineCount >= kMaxLines) {
        result.storeFull = true;
        return result;
    }

    // 1-2. Hard-limit behind the previous block's last 225 bits.
    std::uint8_t* bits = joined_.data() + kSyncPatternLength;
    double threshold = 0.0;
    if (sliceLevel_) {
        threshold = *sliceLevel_;
        for (int k = 0; k < kEnvelopeBlockSamples; ++k) bits[k] = envelope[k] >= threshold ? 1 : 0;
    } else {
        threshold = hardLimitBlock(envelope, bits);
    }

    // 3-5. Correlate and turn the best step into a position.
    syncLocked_ = false;
    const SyncPeak peak = correlator_.findPeak(joined_.data());
    // A score above 0 needs 113 of 225 matching bits. The register's first
    // window is 224 leading zeros and one bit, which matches at least the
    // pattern's 144 low bits less one, so every block finds a step; should
    // none ever score above 0, the previous block's step is used again
    // rather than a made-up one.
    if (peak.found) bestStep_ = peak.step;
    const int position = positionFromPeak(bestStep_);
    result.rawPosition = position;
    std::copy(bits + kEnvelopeBlockSamples - kSyncPatternLength, bits + kEnvelopeBlockSamples,
              joined_.begin());   // PreviousBits for the next block

    // 6. Confirmation over consecutive blocks that look like APT at all.
    result.syncScore = peak.found ? peak.score : 0;
    result.modulationDepth = modulationDepth(envelope, threshold);
    result.syncCandidate =
        result.syncScore >= kMinSyncScore && result.modulationDepth >= kMinModulationDepth;
    confirm(position, result.syncCandidate);
    bool synchronised = syncLocked_;
    if (tracker_) {
        const SyncTracker::Step step =
            tracker_->update(envelope, syncLocked_ ? std::optional<int>(lineOffset_) : std::nullopt);
        if (step.tracking) {
            // A block that confirmed the sync keeps its offset, as without
            // tracking (so a strong signal is cut exactly as the live
            // chain cuts it); the others take the tracked one.
            if (!syncLocked_) lineOffset_ = step.offset;
            // A line placed by the line rate alone may be a drop-out or
            // the noise after the pass: the telemetry takes only lines
            // whose own sync was found.
            synchronised = syncLocked_ || step.ownSync;
            result.tracked = true;
            result.placedByLineRate = !step.ownSync && !syncLocked_;
            if (store_.firstSyncLine == kNoSyncLine) store_.firstSyncLine = store_.lineCount;
            // The pass ends where the block correlator last confirmed the
            // sync, as without tracking: a tracked sync found in the part
            // of a line left at the end of a recording, or by chance in
            // the noise after the pass, must not add a row of noise.
        }
    }

    // 7. Cut the line at the last confirmed offset. It begins in the
    // previous block, so its time counts from that block's. Lines cut before
    // any offset of this pass was confirmed have no sync to time.
    assembleLine(previousBlock_.data(), envelope, lineOffset_, lineBuffer_.data());
    std::copy(envelope, envelope + kEnvelopeBlockSamples, previousBlock_.begin());
    const double lineSeconds =
        store_.firstSyncLine == kNoSyncLine
            ? std::numeric_limits<double>::quiet_NaN()
            : previousBlockSeconds_ + (lineOffset_ - kSyncLeadSamples) / double(kEnvelopeRate);
    previousBlockSeconds_ = blockSeconds;

    // 8. Telemetry on the line before averaging.
    if (telemetry_.update(lineBuffer_.data(), synchronised) && hooks)
        hooks->sensorStatusChanged(telemetry_.statusText(context.showChannelB));

    // 9-10. Average to words and store the two halves.
    averageToWords(lineBuffer_.data());
    const int column = store_.lineCount;
    store_.setLineSeconds(column, lineSeconds);
    for (int w = 0; w < kWordsPerChannel; ++w) {
        store_.at(0, w, column) = lineBuffer_[w];
        store_.at(1, w, column) = lineBuffer_[kWordsPerChannel + w];
    }

    // 11-12. Live views and screen.
    if (hooks) {
        hooks->liveLine(lineBuffer_.data(), lineBuffer_.data() + kWordsPerChannel,
                        context.passDirection);
        hooks->composeScreen(context.showChannelB);
    }

    // 13. The store ends the pass when full.
    store_.lineCount += 1;
    result.decoded = true;
    result.syncLocked = syncLocked_;
    if (store_.lineCount >= kMaxLines) {
        result.storeFull = true;
        if (hooks) hooks->storeFull();
    }
    return result;
}

}  // namespace sorae
