#include "app/reception_hooks.h"

#include <algorithm>

#include "app/reception_state.h"
#include "app/status_panels.h"
#include "capture/qt/monitor_output.h"

namespace sorae {

ReceptionHooks::ReceptionHooks(ReceptionState& state, Demodulator& demodulator, MonitorOutput& monitor,
                               StatusPanels& status)
    : state_(state), demodulator_(demodulator), monitor_(monitor), status_(status) {}

void ReceptionHooks::schedulerTick() {
    if (onSchedulerTick) onSchedulerTick();
}

bool ReceptionHooks::receptionActive() const { return state_.receptionActive; }

bool ReceptionHooks::syncLocked() const { return state_.syncLocked; }

bool ReceptionHooks::monitorOn() const { return isMonitorOn && isMonitorOn(); }

bool ReceptionHooks::inputDialogShowing() const { return isInputDialogShowing && isInputDialogShowing(); }

void ReceptionHooks::demodulateQuadrature(const double* left, const double* right, int frames,
                                          double gainLinear, double* demodOutput) {
    if (demodulated_ != nullptr) {
        std::copy(demodulated_->audio.begin(), demodulated_->audio.end(), demodOutput);
        return;
    }
    demodulator_.demodulateQuadrature(left, right, frames, gainLinear, demodOutput);
}

void ReceptionHooks::demodulateEnvelope(double* demodOutput) {
    if (demodulated_ != nullptr) {
        std::copy(demodulated_->envelope.begin(), demodulated_->envelope.end(), demodOutput);
        return;
    }
    demodulator_.demodulateEnvelope(demodOutput);
}

void ReceptionHooks::drawLevelMeter(const double* envelope, int samples) {
    if (onDrawLevelMeter) onDrawLevelMeter(envelope, samples);
}

void ReceptionHooks::decodeBlock(const double* envelope, int samples) {
    if (onDecodeBlock) onDecodeBlock(envelope, samples);
}

void ReceptionHooks::playMonitor(const std::int16_t* samples, int count) { monitor_.play(samples, count); }

void ReceptionHooks::setStatusPanel(int panel, std::string_view text) {
    // Only ASCII texts ("SCAN", "SYNC") come this way.
    status_.setPanelText(panel, QString::fromLatin1(text.data(), qsizetype(text.size())));
}

}  // namespace sorae
