// The contrast stretch for a channel that has no calibration: the 1st and
// 99th percentiles of the levels in the picture part of the stored lines
// become black and white. The result is a gain and offset in the form the
// calibration has (grey = (level x gain - offset) / 6), so the picture is
// filled the same way either way.
#pragma once

#include <vector>

#include "apt/line_store.h"

namespace sorae {

// Words of a channel half that carry the picture (after sync and space,
// before the telemetry frame).
inline constexpr int kPictureFirstWord = 86;
inline constexpr int kPictureWords = 909;

struct ChannelStretch {
    double gain = 1.0;
    double offset = 0.0;
    double low = 0.0;    // the level that becomes black
    double high = 0.0;   // the level that becomes white
    bool flat = false;   // no spread (or no lines): the level shows as mid grey
};

// `scratch` is reused between calls to spare the allocation.
ChannelStretch StretchChannel(const LineStore& store, int channel, int firstLine, int rows,
                              std::vector<double>& scratch, double lowShare = 0.01,
                              double highShare = 0.99);

}  // namespace sorae
