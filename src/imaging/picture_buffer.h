// A 24-bit picture held as rows of blue, green, red bytes: the channel
// pictures of a pass and the pictures read back from JPEG files. Rows are
// packed (stride = width * 3); a new or resized picture is black.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorae {

// A colour as 0x00BBGGRR: the low byte is red, the next green, then blue.
using ColourValue = std::uint32_t;

struct PictureBuffer {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;

    PictureBuffer() = default;
    PictureBuffer(int w, int h) { resize(w, h); }

    void resize(int w, int h) {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        bgr.assign(std::size_t(width) * std::size_t(height) * 3, 0);
    }
    bool empty() const { return width == 0 || height == 0; }
    int stride() const { return width * 3; }
    std::uint8_t* row(int y) { return bgr.data() + std::size_t(y) * std::size_t(stride()); }
    const std::uint8_t* row(int y) const {
        return bgr.data() + std::size_t(y) * std::size_t(stride());
    }
    // the grey level of a pixel (its green byte; every picture pixel is grey)
    int grey(int x, int y) const { return row(y)[x * 3 + 1]; }
};

// Colour of one level value: level / 6 clamped below at 0 and truncated;
// a level above 255 * 6 is white.
ColourValue LevelToGrey(double level);

// Writes one pixel (blue, green, red in that order); outside the picture
// nothing happens.
void SetPicturePixel(int x, int y, PictureBuffer& picture, ColourValue colour);

// The same for any packed 24-bit B,G,R row memory of the given size.
void SetBgrPixel(int x, int y, std::uint8_t* bits, int width, int height, int stride,
                 ColourValue colour);

}  // namespace sorae
