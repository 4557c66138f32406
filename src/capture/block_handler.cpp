#include "capture/block_handler.h"

#include <algorithm>
#include <cmath>

namespace sorae {

CaptureFormat captureFormatFor(int signalType) {
    CaptureFormat f;
    f.sampleRate = signalType == 0 ? 48000 : 96000;
    f.framesPerBlock = f.sampleRate / 2;
    return f;
}

double signalGainLinear(int signalGainDb) {
    return std::pow(10.0, -double(signalGainDb) / 20.0);
}

BlockHandler::BlockHandler(BlockHooks& hooks)
    : hooks_(hooks),
      left_(kMaxFramesPerBlock, 0.0),
      right_(kMaxFramesPerBlock, 0.0),
      demodOutput_(kAudioSamples, 0.0),
      monitorSamples_(kAudioSamples, 0) {}

void BlockHandler::setSignalGain(int signalGainDb) {
    signalGainDb_ = signalGainDb;
    gainLinear_ = signalGainLinear(signalGainDb);
}

void BlockHandler::setAutoLevel(bool on) {
    if (on && !autoLevelOn_) autoLevel_.reset();
    autoLevelOn_ = on;
}

void BlockHandler::envelopeStage() {
    hooks_.demodulateEnvelope(demodOutput_.data());
    if (autoLevelOn_) autoLevel_.process(demodOutput_.data(), kEnvelopeSamples, hooks_.lineStart());
}

namespace {

// Truncation toward zero, then clipped to the 16-bit range (rather than
// keeping only the low 16 bits, which turns an overload into loud noise).
std::int16_t toMonitorSample(double v) {
    if (!(v > -32768.0)) {  // also catches NaN
        return v != v ? 0 : -32768;
    }
    if (v >= 32767.0) {
        return 32767;
    }
    return std::int16_t(v);
}

}  // namespace

void BlockHandler::handleBlock(const std::int16_t* interleaved, int frames) {
    hooks_.schedulerTick();

    if (warmUpCounter_ <= kWarmUpLimit) {
        ++warmUpCounter_;
        return;
    }

    const int blockFrames = format().framesPerBlock;
    const int available = std::clamp(frames, 0, blockFrames);
    for (int j = 0; j < available; ++j) {
        left_[std::size_t(j)] = double(interleaved[2 * j]);
        right_[std::size_t(j)] = double(interleaved[2 * j + 1]);
    }
    std::fill(left_.begin() + available, left_.begin() + blockFrames, 0.0);
    std::fill(right_.begin() + available, right_.begin() + blockFrames, 0.0);

    const bool reception = hooks_.receptionActive();
    const bool dialog = hooks_.inputDialogShowing();
    const bool monitor = hooks_.monitorOn();

    if (signalType_ != 0) {
        // Nobody needs the demodulated signal: the costly stage is skipped.
        if (monitor || dialog || reception) {
            hooks_.demodulateQuadrature(left_.data(), right_.data(), blockFrames, gainLinear_,
                                        demodOutput_.data());
        }
    } else {
        for (int k = 0; k < kAudioSamples; ++k) {
            demodOutput_[std::size_t(k)] = left_[std::size_t(k)] * gainLinear_;
        }
    }

    if (monitor) {
        for (int k = 0; k < kAudioSamples; ++k) {
            monitorSamples_[std::size_t(k)] = toMonitorSample(demodOutput_[std::size_t(k)]);
        }
        hooks_.playMonitor(monitorSamples_.data(), kAudioSamples);
    }

    if (dialog) {
        envelopeStage();
        hooks_.drawLevelMeter(demodOutput_.data(), kEnvelopeSamples);
        if (reception) {
            hooks_.decodeBlock(demodOutput_.data(), kEnvelopeSamples);
        }
    } else if (reception) {
        envelopeStage();
        hooks_.decodeBlock(demodOutput_.data(), kEnvelopeSamples);
    }

    // The decode stage may have ended the reception (a full line store), so
    // the state is asked again for the status texts.
    if (hooks_.receptionActive()) {
        hooks_.setStatusPanel(kScanPanel, "SCAN");
        hooks_.setStatusPanel(kSyncPanel, hooks_.syncLocked() ? "SYNC" : "");
    } else {
        hooks_.setStatusPanel(kScanPanel, "");
        hooks_.setStatusPanel(kSyncPanel, "");
    }
}

}  // namespace sorae
