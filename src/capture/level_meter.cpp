#include "capture/level_meter.h"

#include <algorithm>

namespace sorae {

LevelMeter::LevelMeter() { pixels_.fill(kBlack); }

int LevelMeter::barFor(const double* envelope, int samples) {
    double largest = 0.0;
    for (int i = 0; i < samples; ++i) {
        largest = std::max(largest, envelope[i]);
    }
    const double level = largest * kScale;
    // Even number of rows, truncated toward zero, at most the full height.
    const double half = std::min(level / 2.0, double(kHeight / 2));
    return int(half) * 2;
}

std::uint32_t LevelMeter::litColour(int height) {
    if (height <= kNormalTop) return kYellow;
    if (height <= kHighTop) return kLime;
    return kRed;
}

// Heights count rows from the bottom: height h is row kHeight - h.
void LevelMeter::fillHeights(int fromHeight, int toHeight, std::uint32_t colour) {
    fromHeight = std::max(fromHeight, 1);
    toHeight = std::min(toHeight, kHeight);
    for (int h = fromHeight; h <= toHeight; ++h) {
        const int y = kHeight - h;
        std::fill_n(pixels_.begin() + y * kWidth, kWidth, colour);
    }
}

void LevelMeter::update(const double* envelope, int samples) {
    bar_ = barFor(envelope, samples);

    fillHeights(1, kNormalTop, kOlive);
    fillHeights(kNormalTop + 1, kHighTop, kGreen);
    fillHeights(kHighTop + 1, kHeight, kMaroon);

    fillHeights(1, std::min(bar_, kNormalTop), kYellow);
    if (bar_ > kNormalTop) fillHeights(kNormalTop + 1, std::min(bar_, kHighTop), kLime);
    if (bar_ > kHighTop) fillHeights(kHighTop + 1, bar_, kRed);

    if (peak_ < bar_) {
        peak_ = std::min(bar_, kHeight);
        hold_ = false;
    }
    // A new peak is shown at once; on the next block it is shown again only
    // while the bar still reaches it, and is then let go.
    const bool holding = hold_;
    const bool drawMarker = holding ? (peak_ == bar_ && peak_ != 0) : true;
    hold_ = true;
    if (drawMarker) {
        fillHeights(peak_ - 1, peak_, litColour(peak_));
    }
    if (holding) {
        peak_ = 0;
    }
    for (int y = 0; y < kHeight; y += 2) {
        std::fill_n(pixels_.begin() + y * kWidth, kWidth, kBlack);
    }
}

}  // namespace sorae
