// The input level meter: a 13 x 100 pixel bar of the envelope's peak, with
// three coloured zones (normal, high, overload), a peak marker held for one
// block, and dark scan lines across every second row. This class computes
// the pixels; the dialog only shows them.
#pragma once

#include <array>
#include <cstdint>

namespace sorae {

class LevelMeter {
public:
    static constexpr int kWidth = 13;
    static constexpr int kHeight = 100;
    static constexpr int kNormalTop = 72;  // heights 1..72: the normal zone
    static constexpr int kHighTop = 80;    // 73..80: high; 81..100: overload
    static constexpr double kScale = 0.05;

    // Colours as 0xRRGGBB.
    static constexpr std::uint32_t kOlive = 0x808000;
    static constexpr std::uint32_t kGreen = 0x008000;
    static constexpr std::uint32_t kMaroon = 0x800000;
    static constexpr std::uint32_t kYellow = 0xFFFF00;
    static constexpr std::uint32_t kLime = 0x00FF00;
    static constexpr std::uint32_t kRed = 0xFF0000;
    static constexpr std::uint32_t kBlack = 0x000000;

    LevelMeter();

    // DrawLevelMeter: the bar of the envelope's largest value (samples of
    // it, normally 12000), then the pixels are redrawn.
    void update(const double* envelope, int samples);

    // Height of the lit bar in rows from the bottom (even, 0..100).
    int bar() const { return bar_; }
    int peak() const { return peak_; }
    // Row 0 is the top.
    std::uint32_t pixel(int x, int y) const { return pixels_[std::size_t(y * kWidth + x)]; }
    const std::array<std::uint32_t, kWidth * kHeight>& pixels() const { return pixels_; }

    static int barFor(const double* envelope, int samples);

private:
    void fillHeights(int fromHeight, int toHeight, std::uint32_t colour);
    static std::uint32_t litColour(int height);

    std::array<std::uint32_t, kWidth * kHeight> pixels_{};
    int bar_ = 0;
    int peak_ = 0;
    bool hold_ = false;
};

}  // namespace sorae
