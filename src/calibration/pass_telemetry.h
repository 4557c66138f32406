// The telemetry frames of a decoded pass, read back from the line store:
// for every frame both channels' 16 wedges, the sensor each names, and the
// level of each channel's space view over the frame's lines. Levels are put
// on the 8-bit word scale of the frame's own staircase (LevelScale), so a
// change of the signal level between frames costs nothing.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "apt/line_store.h"
#include "apt/staircase_recognition.h"
#include "calibration/level_scale.h"
#include "calibration/line_levels.h"

namespace sorae {

// Word positions within a 1040-word channel half.
inline constexpr int kSpaceFirstWord = 39;
inline constexpr int kSpaceWords = 47;
inline constexpr int kImageFirstWord = 86;
inline constexpr int kTelemetryFirstWord = 995;
inline constexpr int kTelemetryWords = 45;

// The mean level of a line's space view, its edges left out.
double SpaceLevel(const LineLevels& store, int channel, int line);

// The noise of one word (standard deviation, in levels) over lines
// first .. last, from the scatter of the space view's words about their
// line's mean: the view is flat, so what scatters is the noise. The median
// over the lines, so that minute markers and clicks do not count; 0
// without lines.
double SpaceWordNoise(const LineLevels& store, int channel, int first, int last);

struct ChannelFrame {
    bool staircase = false;   // wedges 1..9 were recognised; the rest is valid only then
    int sensorWedge = 0;      // 1..6 as wedge 16 names it, 0 none
    std::optional<LevelScale> scale;   // set whenever staircase is
    std::array<double, 4> thermometerWords{};   // wedges 10..13
    double backScanWord = 0.0;                  // wedge 15
    double spaceWord = 0.0;   // median over the frame's lines (minute markers drop out)
    double spaceLevel = 0.0;
    // The same two views as received levels: wedge 15, and the space view's
    // mean over the frame's lines with the minute markers left out.
    double backScanLevel = 0.0;
    double spaceMeanLevel = 0.0;
};

struct TelemetryFrame {
    int firstLine = 0;   // store line of the first line of wedge 1
    int lastLine = 0;    // store line of the last line of wedge 16
    std::array<ChannelFrame, 2> channel;
};

// Every frame found among store lines first .. first + count - 1.
std::vector<TelemetryFrame> FindTelemetryFrames(const LineLevels& store, int first, int count);

}  // namespace sorae
