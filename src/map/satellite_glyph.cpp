#include "map/satellite_glyph.h"

#include <initializer_list>

namespace sorae {

namespace {

std::array<GlyphPixel, kSatelliteGlyphPixelCount> BuildGlyph() {
    // Set columns of each of the eight rows.
    const std::initializer_list<int> rows[8] = {
        {12, 13, 14, 15},
        {4, 8, 11, 14, 15, 16, 20, 24},
        {3, 5, 7, 9, 10, 11, 12, 13, 15, 17, 19, 21, 23, 25},
        {2, 6, 10, 13, 14, 18, 22, 26},
        {1, 5, 9, 10, 13, 17, 21, 25},
        {0, 4, 8, 10, 12, 16, 20, 24},
        {1, 3, 5, 7, 9, 10, 13, 15, 17, 19, 21, 23},
        {2, 6, 10, 11, 12, 13, 14, 18, 22},
    };
    std::array<GlyphPixel, kSatelliteGlyphPixelCount> out{};
    std::size_t n = 0;
    for (int row = 0; row < 8; ++row)
        for (const int col : rows[row])
            if (n < out.size()) out[n++] = {col - 13, row - 4};
    return out;
}

}  // namespace

const std::array<GlyphPixel, kSatelliteGlyphPixelCount>& SatelliteGlyphPixels() {
    static const std::array<GlyphPixel, kSatelliteGlyphPixelCount> glyph = BuildGlyph();
    return glyph;
}

}  // namespace sorae
