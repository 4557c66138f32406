// An 8-bit greyscale picture held row by row: the source pictures the test
// signal is made from and the true pictures it is compared with.
#pragma once

#include <cstdint>
#include <vector>

namespace sorae::testsignal {

struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row-major, width * height

    GreyPicture() = default;
    GreyPicture(int w, int h, std::uint8_t fill = 0)
        : width(w > 0 ? w : 0), height(h > 0 ? h : 0),
          pixels(std::size_t(width) * std::size_t(height), fill) {}

    bool empty() const { return width == 0 || height == 0; }
    std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    std::uint8_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }

    // Writes a pixel if it lies inside the picture.
    void set(int x, int y, std::uint8_t value) {
        if (x >= 0 && y >= 0 && x < width && y < height) at(x, y) = value;
    }
    void fillRect(int x0, int y0, int w, int h, std::uint8_t value);
};

}  // namespace sorae::testsignal
