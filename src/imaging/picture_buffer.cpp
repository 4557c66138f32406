#include "imaging/picture_buffer.h"

namespace sorae {

ColourValue LevelToGrey(double level) {
    double v = level / 6.0;
    if (v < 0.0) v = 0.0;
    if (v > 255.0) return 0xFFFFFFu;
    const auto g = static_cast<ColourValue>(static_cast<int>(v));  // truncates
    return g | (g << 8) | (g << 16);
}

void SetBgrPixel(int x, int y, std::uint8_t* bits, int width, int height, int stride,
                 ColourValue colour) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::uint8_t* p = bits + std::size_t(y) * std::size_t(stride) + std::size_t(x) * 3;
    p[0] = std::uint8_t((colour >> 16) & 0xFF);  // blue
    p[1] = std::uint8_t((colour >> 8) & 0xFF);   // green
    p[2] = std::uint8_t(colour & 0xFF);          // red
}

void SetPicturePixel(int x, int y, PictureBuffer& picture, ColourValue colour) {
    if (picture.empty()) return;
    SetBgrPixel(x, y, picture.bgr.data(), picture.width, picture.height, picture.stride(),
                colour);
}

}  // namespace sorae
