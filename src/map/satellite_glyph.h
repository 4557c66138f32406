// The little satellite picture drawn at each satellite's present position:
// a body with two lattice solar panels, 27 x 8 pixels, 71 of them set.
#pragma once

#include <array>

namespace sorae {

struct GlyphPixel {
    int dx;  // column offset from the reference point (column 13)
    int dy;  // row offset from the reference point (row 4)
};

inline constexpr int kSatelliteGlyphPixelCount = 71;

// The set pixels, row by row, as offsets from the reference point.
const std::array<GlyphPixel, kSatelliteGlyphPixelCount>& SatelliteGlyphPixels();

}  // namespace sorae
