// The half-second block handler: the heartbeat of reception. Each captured
// block of interleaved stereo 16-bit frames runs, in this order, the
// scheduler tick, the warm-up test, de-interleaving, the audio path (gain,
// or the quadrature demodulator for I/Q input), the monitor output, the
// envelope (with the automatic level when it is on), level meter and
// decode stages as needed, and the "SCAN"/"SYNC"
// status panels. Everything that belongs to another subsystem is reached
// through BlockHooks, so the handler holds no device, clock or window.
// All buffers are allocated once; nothing is allocated per block.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "capture/auto_level.h"

namespace sorae {

// SignalType: 0 = demodulated audio captured at 48 kHz, any other value =
// a quadrature (I/Q) input captured at 96 kHz. Both are stereo 16-bit.
struct CaptureFormat {
    int sampleRate = 48000;      // Hz
    int channels = 2;
    int bytesPerSample = 2;
    int framesPerBlock = 24000;  // FramesPerBlock: half a second
    int bytesPerBlock() const { return framesPerBlock * channels * bytesPerSample; }
};
CaptureFormat captureFormatFor(int signalType);

// SignalGainLinear = 10^(-SignalGain / 20): a setting of -20 is +20 dB.
double signalGainLinear(int signalGainDb);

// What the block handler asks of the rest of the program.
class BlockHooks {
public:
    virtual ~BlockHooks() = default;

    virtual void schedulerTick() {}
    virtual bool receptionActive() const { return false; }
    virtual bool syncLocked() const { return false; }
    // Where the lines start in the envelope blocks (the line decoder's
    // confirmed position), -1 when not known; the automatic level reads
    // the line's spaces there.
    virtual int lineStart() const { return -1; }
    virtual bool monitorOn() const { return false; }
    virtual bool inputDialogShowing() const { return false; }

    // 96 kHz I/Q in left/right (frames each) -> frames / 2 samples at 48 kHz.
    virtual void demodulateQuadrature(const double* left, const double* right, int frames,
                                      double gainLinear, double* demodOutput) {
        (void)left; (void)right; (void)frames; (void)gainLinear; (void)demodOutput;
    }
    // 24000 samples at 48 kHz in demodOutput -> 12000 envelope samples at 24 kHz, in place.
    virtual void demodulateEnvelope(double* demodOutput) { (void)demodOutput; }
    virtual void drawLevelMeter(const double* envelope, int samples) { (void)envelope; (void)samples; }
    virtual void decodeBlock(const double* envelope, int samples) { (void)envelope; (void)samples; }
    // One half-second buffer of 48 kHz mono monitor samples.
    virtual void playMonitor(const std::int16_t* samples, int count) { (void)samples; (void)count; }
    virtual void setStatusPanel(int panel, std::string_view text) { (void)panel; (void)text; }
};

class BlockHandler {
public:
    static constexpr int kMaxFramesPerBlock = 48000;  // 96 kHz, half a second
    static constexpr int kAudioSamples = 24000;       // 48 kHz, half a second
    static constexpr int kEnvelopeSamples = 12000;    // 24 kHz, half a second
    static constexpr int kWarmUpLimit = 32;           // blocks are skipped while the counter is <= this
    static constexpr int kScanPanel = 2;
    static constexpr int kSyncPanel = 3;

    explicit BlockHandler(BlockHooks& hooks);

    void setSignalType(int signalType) { signalType_ = signalType; }
    int signalType() const { return signalType_; }
    CaptureFormat format() const { return captureFormatFor(signalType_); }

    // ApplySignalGain: takes effect on the next block.
    void setSignalGain(int signalGainDb);
    int signalGain() const { return signalGainDb_; }
    double gainLinear() const { return gainLinear_; }

    // Automatic level: scales the envelope (after the envelope stage, before
    // the level meter and the decoder) so that white reads about 1530, and
    // clamps it at 1.25 x white (or at the ceiling set below). Off, the
    // envelope is left exactly as the envelope stage made it. Switching it
    // on starts a fresh measurement.
    void setAutoLevel(bool on);
    // The ceiling of the levelled envelope (AutoLevel::setCeiling): a
    // coherent detector with a fixed slicer takes AutoLevel::kLinearCeiling.
    void setAutoLevelCeiling(double level) { autoLevel_.setCeiling(level); }
    bool autoLevel() const { return autoLevelOn_; }
    // The gain the automatic level applies now (0 dB while off or before
    // the first block with signal).
    double appliedLevelDb() const { return autoLevelOn_ ? autoLevel_.gainDb() : 0.0; }
    const AutoLevel& autoLevelState() const { return autoLevel_; }

    // WarmUpCounter: 32 after start-up (one block skipped), 0 after the
    // input device or signal type changed (33 blocks skipped).
    int warmUpCounter() const { return warmUpCounter_; }
    void setWarmUpCounter(int value) { warmUpCounter_ = value; }

    // HandleCapturedBlock. interleaved holds frames stereo frames (L, R, L,
    // R, ...); frames beyond kMaxFramesPerBlock are ignored and a short
    // block is padded with silence.
    void handleBlock(const std::int16_t* interleaved, int frames);

    // CaptureBlock[channel], DemodOutput and MonitorSamples of the last block.
    const double* captureChannel(int channel) const { return channel == 0 ? left_.data() : right_.data(); }
    const double* demodOutput() const { return demodOutput_.data(); }
    const std::int16_t* monitorSamples() const { return monitorSamples_.data(); }

private:
    void envelopeStage();

    BlockHooks& hooks_;
    int signalType_ = 0;
    int signalGainDb_ = 0;
    double gainLinear_ = 1.0;
    int warmUpCounter_ = kWarmUpLimit;
    bool autoLevelOn_ = false;
    AutoLevel autoLevel_;

    std::vector<double> left_;
    std::vector<double> right_;
    std::vector<double> demodOutput_;
    std::vector<std::int16_t> monitorSamples_;
};

}  // namespace sorae
