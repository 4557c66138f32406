// A small 5 x 7 block font for the labels of the built-in test patterns.
// Drawn pixel by pixel so the patterns do not depend on installed fonts.
#pragma once

#include <cstdint>
#include <string_view>

#include "testsignal/grey_picture.h"

namespace sorae::testsignal {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Draws text (upper-case letters, digits, space and - > < . :) with its top
// left corner at (x, y), each font pixel a scale x scale square; one empty
// column between characters. Unknown characters are drawn as a filled box.
void drawBlockText(GreyPicture& picture, int x, int y, std::string_view text, int scale,
                   std::uint8_t value);

// Width in pixels that drawBlockText uses for the text.
int blockTextWidth(std::string_view text, int scale);

}  // namespace sorae::testsignal
