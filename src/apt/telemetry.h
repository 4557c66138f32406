// Telemetry of both channel halves: takes the mean level of the middle of
// each half's telemetry frame from every decoded line, reads whole frames
// of 16 wedges (WedgeFrameTracker), recognises their staircase, names the
// sensor of each half from the wedge that wedge 16 repeats once two frames
// agree, and derives from wedges 8 and 9 of those frames the gain and
// offset that map received levels onto 0..1530. A channel whose sensor
// changes during the pass is renamed once two frames agree on the new one.
//
// Averaged over the pass (for recordings, setAverageOverPass): a channel is
// named from the mean position of wedge 16 over its recent frames that
// agree, measured in steps of each frame's own staircase, and the gain and
// offset come from wedges 8 and 9 of every staircase of the pass, so noise
// averages out instead of deciding. At the end of the pass (finishPass) the
// frames folded over the whole pass (FoldedWedgeFrames) name what single
// frames left unnamed and calibrate where most single frames showed no
// staircase, as with a weak signal.
#pragma once

#include <array>
#include <string>

#include "apt/folded_wedge_frames.h"
#include "apt/wedge_frame_tracker.h"

namespace sorae {

inline constexpr const char* kSensorUnknown = "Senser Type";
inline constexpr const char* kSensorNone = "----";

class Telemetry {
public:
    static constexpr double kCalibratedWedge8 = 1530.0;

    // The name of a sensor by the wedge (1..6) that wedge 16 matches;
    // "----" for any other number.
    static const char* sensorName(int wedge);

    // Once per decoded line, with the assembled 12000-sample line (before
    // averaging) and whether this block confirmed the sync. Returns true when
    // a channel's sensor name was set or changed by this call (status panel 5
    // then shows statusText()).
    bool update(const double* line, bool syncLocked);

    // Decide and calibrate from frames averaged over the pass (see above).
    void setAverageOverPass(bool on) { averageOverPass_ = on; }
    bool averageOverPass() const { return averageOverPass_; }

    // The pass has ended (averaged over the pass only; else nothing): a
    // channel still unnamed, or named from staircases in fewer than half
    // the frames, is named from the folded frame's wedge 16, and
    // the gain and offset come from the folded frame when its staircases
    // are straight (fitted through all wedges), or when fewer single
    // staircases were recognised than half the frames that were folded.
    // Returns true when a name was set or changed.
    bool finishPass();
    const FoldedWedgeFrames& foldedFrames() const { return folded_; }

    // Why a channel is still unnamed ("Senser Type"); empty once named.
    std::string undecidedReason(int channel) const;

    // The pass reset: both channels unidentified, gain 1, offset 0. The
    // lines kept for the frames and the remembered candidates stay.
    void resetForNewPass();

    // Status panel 5: the sensor name of the channel shown.
    const std::string& statusText(bool showChannelB) const {
        return showChannelB ? sensorNameB : sensorNameA;
    }

    // Results, read by the picture builder and the status bar
    std::string sensorNameA = kSensorUnknown;   // SensorNameA
    std::string sensorNameB = kSensorUnknown;   // SensorNameB
    double calibrationGain = 1.0;               // CalibrationGain
    double calibrationOffset = 0.0;             // CalibrationOffset

    // Inspection: the names found in the last two recognised frames of a
    // channel, and the frames themselves.
    const std::string& candidate(int channel) const { return candidate_[channel]; }
    const std::string& previousCandidate(int channel) const { return previousCandidate_[channel]; }
    const WedgeFrameTracker& frames() const { return frames_; }

    static constexpr int kAveragedFrames = 3;       // recent frames a name is taken from
    static constexpr double kSameSensorSteps = 0.8; // frames further apart show another sensor

private:
    bool examine(int channel);
    bool examineAveraged(int channel);
    void calibrateFromPass();
    std::string singleFrameReason(int channel) const;
    std::string& channelName(int channel) { return channel == 0 ? sensorNameA : sensorNameB; }

    WedgeFrameTracker frames_;
    FoldedWedgeFrames folded_;
    std::array<std::string, 2> foldedNote_;   // what the folded frame said of an unnamed channel
    std::array<std::string, 2> candidate_;           // SensorCandidate
    std::array<std::string, 2> previousCandidate_;   // PreviousCandidate
    // wedges 8 and 9 of each channel's previous recognised frame
    std::array<double, 2> previousWhite_{}, previousZero_{};

    bool averageOverPass_ = false;
    // Since the pass reset: frames read, staircases per channel, and the
    // wedge-16 positions (steps) of each channel's recent agreeing frames,
    // newest last.
    int framesRead_ = 0;
    std::array<int, 2> staircases_{};
    std::array<std::array<double, kAveragedFrames>, 2> positions_{};
    std::array<int, 2> positionCount_{};
    double whiteSum_ = 0.0, zeroSum_ = 0.0;
    int calibrationFrames_ = 0;
};

}  // namespace sorae
