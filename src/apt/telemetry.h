// Telemetry of both channel halves: samples the middle of each telemetry
// frame once every 8 synchronised lines, recognises an aligned staircase of
// wedges in the last 16 samples, names the sensor of each half from the wedge
// that wedge 16 repeats, and derives from wedges 8 and 9 the gain and offset
// that map received levels onto 0..1530.
#pragma once

#include <array>
#include <string>

namespace sorae {

inline constexpr const char* kSensorUnknown = "Senser Type";
inline constexpr const char* kSensorNone = "----";

class Telemetry {
public:
    static constexpr int kHistory = 16;
    static constexpr double kPercentScale = 1536.0;   // level of 100 %
    static constexpr double kCalibratedWedge8 = 1530.0;
    static constexpr double kUnsynchronised = -1.0;    // percent of a sample taken without sync

    // The name of a sensor by the wedge (1..6) that wedge 16 matches;
    // "----" for any other number.
    static const char* sensorName(int wedge);

    // Once per decoded line, with the assembled 12000-sample line (before
    // averaging) and whether this block confirmed the sync. Returns true when
    // a channel's sensor was confirmed by this call (status panel 5 then
    // shows statusText()).
    bool update(const double* line, bool syncLocked);

    // The pass reset: both channels unidentified, gain 1, offset 0. The
    // histories, the remembered candidates and the phase are kept.
    void resetForNewPass();

    // Status panel 5: the sensor name of the channel shown.
    const std::string& statusText(bool showChannelB) const {
        return showChannelB ? sensorNameB : sensorNameA;
    }

    // Takes one telemetry sample from a line right away (normally done by
    // update() on every 8th synchronised line).
    bool takeSample(const double* line, bool syncLocked);

    // Results, read by the picture builder and the status bar
    std::string sensorNameA = kSensorUnknown;   // SensorNameA
    std::string sensorNameB = kSensorUnknown;   // SensorNameB
    double calibrationGain = 1.0;               // CalibrationGain
    double calibrationOffset = 0.0;             // CalibrationOffset

    // Inspection
    int phase() const { return phase_; }
    // index 1 = oldest .. 16 = newest, as percent of 1536 (-1 without sync)
    double wedgePercent(int channel, int index) const { return percent_[channel][index - 1]; }
    double wedgeRaw(int channel, int index) const { return raw_[channel][index - 1]; }
    const std::string& candidate(int channel) const { return candidate_[channel]; }
    const std::string& previousCandidate(int channel) const { return previousCandidate_[channel]; }

    // Sets a channel's histories (index 0 = oldest); for tests and tools.
    void setHistory(int channel, const std::array<double, kHistory>& percent,
                    const std::array<double, kHistory>& raw);

    // Staircase test and identification on the channel's current history:
    // returns the candidate name, or nullptr when no aligned staircase is seen.
    const char* recogniseStaircase(int channel) const;

private:
    void examine(int channel);
    std::string& channelName(int channel) { return channel == 0 ? sensorNameA : sensorNameB; }

    int phase_ = 0;   // TelemetryPhase
    std::array<std::array<double, kHistory>, 2> percent_{};   // WedgePercent
    std::array<std::array<double, kHistory>, 2> raw_{};       // WedgeRaw
    std::array<std::string, 2> candidate_;                    // SensorCandidate
    std::array<std::string, 2> previousCandidate_;            // PreviousCandidate
    bool confirmedThisSample_ = false;
};

}  // namespace sorae
