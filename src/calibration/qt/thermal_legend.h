// The finished thermal picture: the colour picture of the temperatures with
// the pass's title above it and, to its right, the colour scale with its
// legend in degrees Celsius.
#pragma once

#include <string>

#include "calibration/pass_products.h"
#include "imaging/picture_buffer.h"

namespace sorae {

inline constexpr int kLegendWidth = 110;
inline constexpr int kTitleHeight = 34;

PictureBuffer DecorateThermalPicture(const PictureBuffer& thermal, const std::string& title);

// The same as a ThermalDecorator; fonts are looked up one picture at a time.
ThermalDecorator MakeThermalDecorator();

}  // namespace sorae
