// Connects the block handler to the parts of the program it drives: the
// demodulator, the monitor output and the status bar directly; the
// scheduler, the level meter and the line decoder through callbacks that
// their owners install (an unset callback does nothing).
#pragma once

#include <functional>

#include "capture/block_handler.h"
#include "capture/demodulator.h"
#include "recording/demodulation_pipeline.h"

namespace sorae {

class MonitorOutput;
class StatusPanels;
struct ReceptionState;

class ReceptionHooks : public BlockHooks {
public:
    ReceptionHooks(ReceptionState& state, Demodulator& demodulator, MonitorOutput& monitor,
                   StatusPanels& status);

    std::function<void()> onSchedulerTick;
    std::function<void(const double* envelope, int samples)> onDrawLevelMeter;
    std::function<void(const double* envelope, int samples)> onDecodeBlock;
    std::function<bool()> isMonitorOn;
    std::function<bool()> isInputDialogShowing;
    // Where the lines start in the envelope block, while the sync is recent;
    // the automatic level then reads the spaces beside the pictures.
    std::function<int()> onLineStart;

    void schedulerTick() override;
    bool receptionActive() const override;
    bool syncLocked() const override;
    bool monitorOn() const override;
    bool inputDialogShowing() const override;
    int lineStart() const override { return onLineStart ? onLineStart() : -1; }
    void demodulateQuadrature(const double* left, const double* right, int frames, double gainLinear,
                              double* demodOutput) override;
    void demodulateEnvelope(double* demodOutput) override;
    void drawLevelMeter(const double* envelope, int samples) override;
    void decodeBlock(const double* envelope, int samples) override;
    void playMonitor(const std::int16_t* samples, int count) override;
    void setStatusPanel(int panel, std::string_view text) override;

    // A block demodulated ahead (a replay): while set, the demodulation
    // stages hand out its audio and envelope instead of running.
    void setDemodulatedBlock(const DemodulatedBlock* block) { demodulated_ = block; }

private:
    ReceptionState& state_;
    Demodulator& demodulator_;
    MonitorOutput& monitor_;
    StatusPanels& status_;
    const DemodulatedBlock* demodulated_ = nullptr;
};

}  // namespace sorae
