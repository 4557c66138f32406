// Calibration of a decoded pass: brightness temperatures (K) for the
// thermal channels (3B, 4, 5) and albedo (%) for the visible ones where
// their pre-launch coefficients are known, per pixel of each channel's
// 909-word image area, in the picture's rows and orientation. The
// telemetry comes from every readable frame of the pass, averaged with
// outliers left out; a channel whose sensor changes during the pass is
// calibrated per stretch of one sensor. What cannot be calibrated is NaN,
// with the reason in words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "calibration/avhrr_coefficients.h"
#include "calibration/level_scale.h"
#include "calibration/pass_telemetry.h"

namespace sorae {

enum class CalibratedQuantity : std::uint8_t { None, Kelvin, AlbedoPercent };

struct CalibrationSegment {
    int firstLine = 0;   // store lines it covers
    int lastLine = 0;
    AvhrrChannel channel = AvhrrChannel::Ch4;
    int frames = 0;              // frames that named this sensor
    int rejectedReadings = 0;    // space and blackbody readings left out as outliers
    double zeroLevel = 0.0;      // the received levels of words 0 and 255
    double whiteLevel = 0.0;
    std::optional<LevelScale> scale;   // levels to words, from the frames' staircases
    double spaceCount = 0.0;     // 10-bit, thermal channels
    double blackbodyCount = 0.0;
    double noiseWords = 0.0;     // one word's noise (standard deviation), from the space view
    CalibratedQuantity quantity = CalibratedQuantity::None;
    std::string reason;          // why not calibrated
};

struct ChannelCalibration {
    std::vector<CalibrationSegment> segments;
    std::vector<float> values;                 // kImageWords x rows; NaN where unknown
    std::vector<CalibratedQuantity> rowQuantity;   // per picture row
    // the 8-bit words as the staircase reads them (the grey of a calibrated
    // picture), wherever a segment had one; 0 elsewhere
    std::vector<std::uint8_t> grey;
    std::string reason;          // why (part of) the channel has no values
    // the scene's range, when any Kelvin (the extreme hundredth either side
    // left out, to the 0.1 K step)
    double minKelvin = 0.0, maxKelvin = 0.0;
    bool hasKelvin() const;
    bool hasAlbedo() const;
    // the value at a column of the image area and a picture row; NaN outside
    float at(int column, int row) const;
};

struct PassCalibration {
    std::string satellite;
    int firstLine = 0, rows = 0, direction = 0;
    int frames = 0;                     // telemetry frames found (with a staircase)
    bool blackbodyKnown = false;
    double blackbodyKelvin = 0.0;
    std::array<double, 4> thermometerKelvin{};
    double thermometerSpreadKelvin = 0.0;   // the highest less the lowest of the four
    int thermometerReadingsRejected = 0;
    double lineGainShrink = 0.0;        // how much of the lines' gain wobble was taken out (0..1)
    std::string reason;                 // why nothing at all was calibrated
    std::array<ChannelCalibration, 2> channel;

    bool any() const {
        return channel[0].hasKelvin() || channel[1].hasKelvin() || channel[0].hasAlbedo() ||
               channel[1].hasAlbedo();
    }
};

struct CalibrationInputs {
    const LineStore* store = nullptr;
    int firstLine = 0;       // the picture's span of store lines
    int rows = 0;
    int direction = 0;       // 1: the picture is turned through 180 degrees
    std::string satellite;   // "NOAA 19", "NOAA-18", ...
    bool automaticLevel = false;   // the receiving gain was set line by line
};

PassCalibration CalibratePass(const CalibrationInputs& in);

// The column of the 1040-word picture where the image area starts.
inline int ImageAreaLeft(int direction) { return direction == 1 ? 1039 - 994 : 86; }

}  // namespace sorae
