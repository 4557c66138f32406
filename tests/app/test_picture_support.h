// Source pictures for tests that send a picture through the chain and look
// for it again in the saved JPEG files.
#pragma once

#include <cmath>
#include <cstdint>

#include "testsignal/apt_line_source.h"
#include "testsignal/grey_picture.h"

namespace sorae::testsupport {

// A picture that changes smoothly both along and across the lines, so a
// wrong line or column alignment shows in the correlation.
inline testsignal::GreyPicture smoothPicture(int height, double phase) {
    testsignal::GreyPicture p(testsignal::AptLayout::kImageWords, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.at(x, y) = std::uint8_t(128 + 90 * std::sin(x / 70.0 + phase) * std::cos(y / 45.0) +
                                      30 * std::sin(y / 23.0));
    return p;
}

}  // namespace sorae::testsupport
