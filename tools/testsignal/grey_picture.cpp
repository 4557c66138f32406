#include "testsignal/grey_picture.h"

#include <algorithm>

namespace sorae::testsignal {

void GreyPicture::fillRect(int x0, int y0, int w, int h, std::uint8_t value) {
    const int xa = std::max(x0, 0), xb = std::min(x0 + w, width);
    const int ya = std::max(y0, 0), yb = std::min(y0 + h, height);
    for (int y = ya; y < yb; ++y)
        for (int x = xa; x < xb; ++x) at(x, y) = value;
}

}  // namespace sorae::testsignal
