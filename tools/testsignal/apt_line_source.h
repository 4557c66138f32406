// What the test transmitter sends on each APT line: the word layout (sync,
// space, image, telemetry for channel A, then the same for channel B), the
// sync words, the space with its minute markers and the telemetry frame of
// 16 wedges x 8 lines. Values are 8-bit words, 0 black .. 255 white.
#pragma once

#include <array>
#include <cstdint>

#include "testsignal/grey_picture.h"

namespace sorae::testsignal {

struct AptLayout {
    static constexpr int kWordsPerSecond = 4160;
    static constexpr int kLinesPerSecond = 2;
    static constexpr int kWordsPerLine = 2080;
    static constexpr int kWordsPerHalf = 1040;
    static constexpr int kSyncWords = 39;
    static constexpr int kSpaceWords = 47;
    static constexpr int kImageWords = 909;
    static constexpr int kTelemetryWords = 45;
    // Word offsets within a half line (add kWordsPerHalf for channel B).
    static constexpr int kSyncStart = 0;
    static constexpr int kSpaceStart = 39;
    static constexpr int kImageStart = 86;
    static constexpr int kTelemetryStart = 995;
    static constexpr int kLinesPerWedge = 8;
    static constexpr int kWedgesPerFrame = 16;
    static constexpr int kLinesPerFrame = 128;
    static constexpr int kLinesPerMinute = 120;
    // Every minute the space words of both channels read black for two
    // lines, then white for two (seen so on real passes).
    static constexpr int kMinuteMarkerLines = 4;
};

using AptLine = std::array<std::uint8_t, AptLayout::kWordsPerLine>;
using AptHalfLine = std::array<std::uint8_t, AptLayout::kWordsPerHalf>;
using SyncWord = std::array<std::uint8_t, AptLayout::kSyncWords>;

constexpr std::uint8_t kWordLow = 0;
constexpr std::uint8_t kWordHigh = 255;

// Sync A: 3 low words, seven 1040 Hz pulses (2 words high, 2 low), 8 low.
// Sync B: 4 low words, seven 832 Hz pulses (3 words high, 2 low).
// As 0/1 per word.
const SyncWord& syncWordA();
const SyncWord& syncWordB();

// Sensor numbers: the wedge (1..6) that wedge 16 repeats. 1 = CH 1 (VIS),
// 2 = CH 2 (VIS), 3 = CH 3A (mIR), 4 = CH 4 (IR), 5 = CH 5 (IR),
// 6 = CH 3B (mIR); 0 = no sensor (wedge 16 at the zero-modulation level,
// which matches none of wedges 1..6).
constexpr int kNoSensor = 0;
constexpr int kMaxSensor = 6;

// The word value of telemetry wedge 1..16 for a channel carrying `sensor`:
// wedges 1..8 rise by eighths of full scale, 9 is zero modulation, 10..13
// are four nearly equal thermistor readings, 14 the patch temperature,
// 15 the back scan (warm for the thermal sensors 4, 5, 6, dark otherwise),
// 16 the level of wedge `sensor`. A sensor outside 0..6 counts as 0.
int telemetryWedgeValue(int wedge, int sensor);

// Wedge 1..16 carried by a line; line 0 starts a frame.
int wedgeOfLine(long lineNumber);

// What the space words of a line show: their own level, or the black or
// white of a minute marker (lines 0, 1 of each minute black, 2, 3 white).
enum class MinuteMark { None, Black, White };
MinuteMark minuteMarkOfLine(long lineNumber);

class AptLineSource {
public:
    // Line n shows row n modulo the picture's height. A picture whose width
    // is not 909 is sampled at the nearest column; an empty picture is black.
    AptLineSource(GreyPicture pictureA, GreyPicture pictureB, int sensorA, int sensorB);

    // From line `fromLine` on, channel 0 (A) or 1 (B) carries `sensor`
    // (a sensor switched during the pass, as CH 2 to CH 3B at night).
    void changeSensor(int channel, long fromLine, int sensor);

    // What a sensor's views show from now on, as 8-bit words: its back scan
    // (wedge 15) and its space view (a minute marker shows over it); -1
    // keeps the built-in levels. And the four thermometer wedges 10..13.
    void setSensorViews(int sensor, int backScanWord, int spaceWord);
    void setThermometerWords(const std::array<int, 4>& words);

    void composeLine(long lineNumber, AptLine& out) const;
    AptLine line(long lineNumber) const;
    // channel 0 = A, 1 = B: the 1040 words the decoder stores for the half.
    AptHalfLine half(long lineNumber, int channel) const;

    // The 1040-word halves of `lines` lines from `firstLine` as a picture.
    GreyPicture truthPicture(int channel, long firstLine, int lines) const;

    const GreyPicture& picture(int channel) const { return channel == 0 ? pictureA_ : pictureB_; }
    // The sensor a channel carries on a line.
    int sensor(int channel, long lineNumber = 0) const;

private:
    void composeHalf(long lineNumber, int channel, std::uint8_t* out) const;

    GreyPicture pictureA_;
    GreyPicture pictureB_;
    int sensorA_;
    int sensorB_;
    struct SensorChange {
        long fromLine = -1;   // -1: none
        int sensor = 0;
    };
    SensorChange change_[2];
    struct Views {
        int backScan = -1;
        int space = -1;
    };
    std::array<Views, kMaxSensor + 1> views_{};
    std::array<int, 4> thermometers_{-1, -1, -1, -1};
};

}  // namespace sorae::testsignal
