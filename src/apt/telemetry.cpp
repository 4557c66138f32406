#include "apt/telemetry.h"

#include <cmath>
#include <limits>

#include "apt/staircase_recognition.h"

namespace sorae {
namespace {

// Where the middle of each half's telemetry frame lies in the assembled line
// (about words 997..1036 of the 1040-word half).
constexpr int kFrameMiddleStart = 5750;
constexpr int kFrameMiddleSamples = 230;
constexpr int kHalfLineSamples = 6000;

double frameMiddleMean(const double* line, int channel) {
    const double* middle = line + kFrameMiddleStart + kHalfLineSamples * channel;
    double sum = 0.0;
    for (int k = 0; k < kFrameMiddleSamples; ++k) sum += middle[k];
    return sum / kFrameMiddleSamples;
}

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
    if (!frames_.addLine(frameMiddleMean(line, 0), frameMiddleMean(line, 1), syncLocked))
        return false;
    bool changed = false;
    for (int r = 0; r < 2; ++r) changed = examine(r) || changed;
    return changed;
}

bool Telemetry::examine(int channel) {
    const WedgeLevels& wedges = frames_.frame(channel);
    const int found = recogniseStaircase(wedges);
    if (found == kNoStaircase) return false;
    candidate_[channel] = sensorName(found);
    const double white = wedges[7], zero = wedges[8];

    bool changed = false;
    std::string& name = channelName(channel);
    if (candidate_[channel] == previousCandidate_[channel] && name != candidate_[channel]) {
        name = candidate_[channel];
        // wedge 9 (zero modulation) -> 0, wedge 8 (full white) -> 1530, from
        // both agreeing frames; one pair for both channels, so when both
        // confirm on one line channel B's, computed last, is kept. The
        // staircase test has made sure wedge 8 lies above wedge 9. Right
        // after a pass reset the previous frame is from the last pass and
        // this frame alone counts.
        const bool both = !std::isnan(previousWhite_[channel]);
        const double meanWhite = both ? (white + previousWhite_[channel]) / 2.0 : white;
        const double meanZero = both ? (zero + previousZero_[channel]) / 2.0 : zero;
        if (meanWhite > meanZero) {
            calibrationGain = kCalibratedWedge8 / (meanWhite - meanZero);
            calibrationOffset = meanZero * calibrationGain;
        }
        changed = true;
    }
    previousCandidate_[channel] = candidate_[channel];
    previousWhite_[channel] = white;
    previousZero_[channel] = zero;
    return changed;
}

void Telemetry::resetForNewPass() {
    sensorNameA = kSensorUnknown;
    sensorNameB = kSensorUnknown;
    calibrationGain = 1.0;
    calibrationOffset = 0.0;
    previousWhite_.fill(std::numeric_limits<double>::quiet_NaN());
    previousZero_.fill(std::numeric_limits<double>::quiet_NaN());
}

}  // namespace sorae
