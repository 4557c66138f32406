#include "apt/telemetry.h"

namespace sorae {
namespace {

// Where the middle of each half's telemetry frame lies in the assembled line
// (about words 997..1036 of the 1040-word half).
constexpr int kFrameMiddleStart = 5750;
constexpr int kFrameMiddleSamples = 230;
constexpr int kHalfLineSamples = 6000;
constexpr double kMatchWindow = 3.0;   // percent points either side of a wedge

}  // namespace

const char* Telemetry::sensorName(int wedge) {
    switch (wedge) {
    case 1: return "CH 1 (VIS)";
    case 2: return "CH 2 (VIS)";
    case 3: return "CH 3A (mIR)";
    case 4: return "CH 4 (IR)";
    case 5: return "CH 5 (IR)";
    case 6: return "CH 3B (mIR)";
    default: return kSensorNone;
    }
}

bool Telemetry::update(const double* line, bool syncLocked) {
    // A sample is due on every 8th line of an unbroken run of synchronised
    // lines; it is taken even when this very block has just lost the sync.
    if (phase_ == 7) {
        phase_ = 0;
        return takeSample(line, syncLocked);
    }
    phase_ = syncLocked ? phase_ + 1 : 0;
    return false;
}

bool Telemetry::takeSample(const double* line, bool syncLocked) {
    confirmedThisSample_ = false;
    for (int r = 0; r < 2; ++r) {
        auto& percent = percent_[r];
        auto& raw = raw_[r];
        for (int i = 0; i + 1 < kHistory; ++i) {
            percent[i] = percent[i + 1];
            raw[i] = raw[i + 1];
        }
        const double* middle = line + kFrameMiddleStart + kHalfLineSamples * r;
        double sum = 0.0;
        for (int k = 0; k < kFrameMiddleSamples; ++k) sum += middle[k];
        const double mean = sum / kFrameMiddleSamples;
        if (syncLocked) {
            percent[kHistory - 1] = mean / kPercentScale * 100.0;
            raw[kHistory - 1] = mean;
        } else {
            // the raw history keeps the previous newest value
            percent[kHistory - 1] = kUnsynchronised;
        }
        examine(r);
    }
    return confirmedThisSample_;
}

const char* Telemetry::recogniseStaircase(int channel) const {
    const auto& p = percent_[channel];   // p[0] is sample 1 (oldest)

    // A sample taken without sync is not a wedge: while one is among the 16,
    // the history cannot hold an aligned frame.
    for (double v : p)
        if (v == kUnsynchronised) return nullptr;

    // Samples 1..8 strictly rising (wedges 1..8), sample 9 not above sample 8.
    for (int k = 1; k <= 7; ++k)
        if (!(p[k] - p[k - 1] > 0)) return nullptr;
    if (p[8] - p[7] > 0) return nullptr;

    // Wedge 16 repeats one of wedges 1..6; the first that matches names the sensor.
    const double wedge16 = p[kHistory - 1];
    for (int k = 1; k <= 6; ++k) {
        const double level = p[k - 1];
        if (level - kMatchWindow <= wedge16 && wedge16 < level + kMatchWindow)
            return sensorName(k);
    }
    return kSensorNone;
}

void Telemetry::examine(int channel) {
    const char* found = recogniseStaircase(channel);
    if (!found) return;
    candidate_[channel] = found;

    std::string& name = channelName(channel);
    if (name != kSensorUnknown) return;   // confirmed names stay until the next pass

    if (candidate_[channel] == previousCandidate_[channel]) {
        name = candidate_[channel];
        const double wedge8 = raw_[channel][7];
        const double wedge9 = raw_[channel][8];
        if (wedge8 != wedge9) {
            // wedge 9 (zero modulation) -> 0, wedge 8 (full white) -> 1530;
            // one pair for both channels, so when both confirm in one sample
            // channel B's, computed last, is kept
            calibrationGain = kCalibratedWedge8 / (wedge8 - wedge9);
            calibrationOffset = wedge9 * calibrationGain;
        }
        confirmedThisSample_ = true;
    } else {
        previousCandidate_[channel] = candidate_[channel];
    }
}

void Telemetry::resetForNewPass() {
    sensorNameA = kSensorUnknown;
    sensorNameB = kSensorUnknown;
    calibrationGain = 1.0;
    calibrationOffset = 0.0;
}

void Telemetry::setHistory(int channel, const std::array<double, kHistory>& percent,
                           const std::array<double, kHistory>& raw) {
    percent_[channel] = percent;
    raw_[channel] = raw;
}

}  // namespace sorae
