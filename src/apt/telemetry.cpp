#include "apt/telemetry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
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

// Where `level` lies on the staircase: 0 at wedge 9, k at wedge k (1..8),
// linear between neighbours; beyond the ends by the step.
double staircasePosition(const WedgeLevels& w, double level, double step) {
    double below = w[8];
    if (level <= below) return (level - below) / step;
    for (int k = 1; k <= 8; ++k) {
        const double above = w[std::size_t(k - 1)];
        if (level <= above && above > below) return k - 1 + (level - below) / (above - below);
        below = std::max(below, above);
    }
    return 8.0 + (level - below) / step;
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
    const double levelA = frameMiddleMean(line, 0), levelB = frameMiddleMean(line, 1);
    if (averageOverPass_) folded_.addLine(levelA, levelB, syncLocked);
    if (!frames_.addLine(levelA, levelB, syncLocked))
        return false;
    ++framesRead_;
    bool changed = false;
    for (int r = 0; r < 2; ++r) changed = (averageOverPass_ ? examineAveraged(r) : examine(r)) || changed;
    if (averageOverPass_) calibrateFromPass();
    return changed;
}

bool Telemetry::examineAveraged(int channel) {
    const WedgeLevels& w = frames_.frame(channel);
    const std::optional<double> step = staircaseStep(w);
    if (!step) return false;
    ++staircases_[channel];
    // A straight staircase calibrates from all its wedges, a clipped one
    // from wedges 8 and 9.
    const StaircaseEnds ends = fittedStaircaseEnds(w).value_or(StaircaseEnds{w[8], w[7]});
    whiteSum_ += ends.white;
    zeroSum_ += ends.zero;
    ++calibrationFrames_;

    // The position of wedge 16 on the frame's own staircase: wedge k lies
    // at k, wedge 9 at 0, linear in between (so a clipped, compressed top
    // still puts each wedge at its number).
    const double position = staircasePosition(w, w[15], *step);
    auto& recent = positions_[channel];
    int& count = positionCount_[channel];
    // Frames that disagree with this one by most of a step showed
    // another sensor (or were spoilt): only the agreeing ones count.
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (std::abs(recent[std::size_t(i)] - position) < kSameSensorSteps) recent[std::size_t(kept++)] = recent[std::size_t(i)];
    if (kept == kAveragedFrames) {
        for (int i = 1; i < kept; ++i) recent[std::size_t(i - 1)] = recent[std::size_t(i)];
        --kept;
    }
    recent[std::size_t(kept++)] = position;
    count = kept;

    double mean = 0.0;
    for (int i = 0; i < count; ++i) mean += recent[std::size_t(i)];
    mean /= count;
    const int nearest = nearestSensorWedge(mean, kMatchSteps);
    // Wedge 16 at zero modulation (no sensor) names "----"; between two
    // wedges it names nothing.
    const bool none = nearest == kNoSensorWedge && std::abs(mean) < kMatchSteps;
    if (nearest == kNoSensorWedge && !none) {
        candidate_[channel].clear();
        return false;
    }
    candidate_[channel] = sensorName(nearest);
    if (count < 2) return false;   // one frame alone names nothing
    std::string& name = channelName(channel);
    if (name == candidate_[channel]) return false;
    name = candidate_[channel];
    return true;
}

void Telemetry::calibrateFromPass() {
    // Wedge 9 -> 0 and wedge 8 -> 1530 from the mean of every staircase of
    // the pass, once a channel has been named (the telemetry is then known
    // to be read where it lies).
    if (sensorNameA == kSensorUnknown && sensorNameB == kSensorUnknown) return;
    if (calibrationFrames_ == 0) return;
    const double white = whiteSum_ / calibrationFrames_, zero = zeroSum_ / calibrationFrames_;
    if (!(white > zero)) return;
    calibrationGain = kCalibratedWedge8 / (white - zero);
    calibrationOffset = zero * calibrationGain;
}

bool Telemetry::finishPass() {
    if (!averageOverPass_) return false;
    foldedNote_ = {};
    std::array<WedgeLevels, 2> w;
    if (!folded_.read(w)) return false;
    char text[160];
    bool named = false;
    double white = 0.0, zero = 0.0;
    int staircases = 0, straight = 0;
    for (int r = 0; r < 2; ++r) {
        const WedgeLevels& frame = w[std::size_t(r)];
        const std::optional<double> step = staircaseStep(frame);
        if (!step) {
            std::snprintf(text, sizeof text, "folded over the pass (%.1f frames), no even staircase either",
                          folded_.frames());
            foldedNote_[std::size_t(r)] = text;
            continue;
        }
        // The fold fitted straight through all its wedges averages every
        // frame; else only its wedges 8 and 9 count, and single frames
        // calibrate when most of them were staircases.
        const std::optional<StaircaseEnds> fitted = fittedStaircaseEnds(frame);
        const StaircaseEnds ends = fitted.value_or(StaircaseEnds{frame[8], frame[7]});
        white += ends.white;
        zero += ends.zero;
        ++staircases;
        straight += fitted ? 1 : 0;
        // A name from single frames stands when most frames were
        // staircases (a sensor may change during the pass, which the fold
        // would blur); from a few noisy ones, the fold's is the better.
        std::string& name = channelName(r);
        const bool singleFramesWeak = staircases_[std::size_t(r)] < folded_.frames() / 2.0;
        if (name != kSensorUnknown && !singleFramesWeak) continue;
        const double position = staircasePosition(frame, frame[15], *step);
        const int nearest = nearestSensorWedge(position, kMatchSteps);
        if (nearest != kNoSensorWedge || std::abs(position) < kMatchSteps) {
            named = named || name != sensorName(nearest);
            name = sensorName(nearest);
        } else if (name == kSensorUnknown) {
            std::snprintf(text, sizeof text,
                          "folded over the pass (%.1f frames), wedge 16 lies %.2f steps above wedge 9",
                          folded_.frames(), position);
            foldedNote_[std::size_t(r)] = text;
        }
    }
    const bool namedAny = sensorNameA != kSensorUnknown || sensorNameB != kSensorUnknown;
    const bool foldedBetter = straight == staircases || calibrationFrames_ < folded_.frames();
    if (staircases > 0 && namedAny && foldedBetter) {
        white /= staircases;
        zero /= staircases;
        if (white > zero) {
            calibrationGain = kCalibratedWedge8 / (white - zero);
            calibrationOffset = zero * calibrationGain;
        }
    }
    return named;
}

std::string Telemetry::undecidedReason(int channel) const {
    if ((channel == 0 ? sensorNameA : sensorNameB) != kSensorUnknown) return {};
    // what single frames said, then what the fold said
    if (averageOverPass_ && !foldedNote_[std::size_t(channel)].empty())
        return singleFrameReason(channel) + "; " + foldedNote_[std::size_t(channel)];
    return singleFrameReason(channel);
}

std::string Telemetry::singleFrameReason(int channel) const {
    if (framesRead_ == 0)
        return "no telemetry frame was read: the lines were not synchronised through a whole frame (64 s)";
    if (staircases_[channel] == 0 && averageOverPass_)
        return std::to_string(framesRead_) + " telemetry frames read, none with an even wedge staircase";
    if (averageOverPass_) {
        const int count = positionCount_[channel];
        double mean = 0.0;
        for (int i = 0; i < count; ++i) mean += positions_[channel][std::size_t(i)];
        if (count > 0) mean /= count;
        char text[160];
        if (count < 2)
            std::snprintf(text, sizeof text,
                          "%d wedge staircases, but no two frames in a row agree on wedge 16 (last at %.2f steps)",
                          staircases_[channel], mean);
        else
            std::snprintf(text, sizeof text,
                          "wedge 16 lies %.2f steps above wedge 9 over %d frames, too far from any of wedges 1..6",
                          mean, count);
        return text;
    }
    return std::to_string(framesRead_) + " telemetry frames read; the last two did not agree on a sensor (" +
           (previousCandidate_[channel].empty() ? std::string("none") : previousCandidate_[channel]) + ", " +
           (candidate_[channel].empty() ? std::string("none") : candidate_[channel]) + ")";
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
    folded_.reset();
    foldedNote_ = {};
    framesRead_ = 0;
    staircases_.fill(0);
    positionCount_.fill(0);
    whiteSum_ = zeroSum_ = 0.0;
    calibrationFrames_ = 0;
    sensorNameA = kSensorUnknown;
    sensorNameB = kSensorUnknown;
    calibrationGain = 1.0;
    calibrationOffset = 0.0;
    previousWhite_.fill(std::numeric_limits<double>::quiet_NaN());
    previousZero_.fill(std::numeric_limits<double>::quiet_NaN());
}

}  // namespace sorae
