// Built-in source pictures for the test signal: a grey ramp, grey bars and
// a test card whose text and corner marks make any flip or turn visible.
#pragma once

#include <optional>
#include <string_view>

#include "testsignal/grey_picture.h"

namespace sorae::testsignal {

constexpr int kPictureColumns = 909;  // image words per channel and line

// Ramp from black at the left to white at the right, the same on every row.
GreyPicture makeGradientPattern(int height);

// Eight vertical bars stepping from black to white.
GreyPicture makeBarsPattern(int height);

// The test card: grid, circle, title, channel label, orientation marks in
// the top-left corner, a 16-step grey scale and resolution stripes.
// Inverted swaps dark and light (looks like an infrared channel).
GreyPicture makeTestCard(int height, char channelLabel, bool inverted);

// "gradient", "bars" or "card"; nothing for an unknown name.
std::optional<GreyPicture> makePattern(std::string_view name, int height, char channelLabel);

}  // namespace sorae::testsignal
