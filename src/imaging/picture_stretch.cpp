#include "imaging/picture_stretch.h"

#include <algorithm>
#include <cmath>

namespace sorae {

namespace {

// Level 1530 is grey 255 (the picture code divides by 6).
constexpr double kWhite = 1530.0;

}  // namespace

ChannelStretch StretchChannel(const LineStore& store, int channel, int firstLine, int rows,
                              std::vector<double>& scratch, double lowShare, double highShare) {
    ChannelStretch s;
    firstLine = std::clamp(firstLine, 0, kMaxLines);
    rows = std::clamp(rows, 0, kMaxLines - firstLine);
    scratch.clear();
    scratch.reserve(std::size_t(rows) * kPictureWords);
    for (int line = firstLine; line < firstLine + rows; ++line)
        for (int x = kPictureFirstWord; x < kPictureFirstWord + kPictureWords; ++x) {
            const double v = store.at(channel, x, line);
            if (std::isfinite(v)) scratch.push_back(v);
        }
    if (scratch.empty()) {
        s.flat = true;
        return s;
    }

    const auto rank = [&](double share) {
        return std::size_t(std::clamp(share, 0.0, 1.0) * double(scratch.size() - 1) + 0.5);
    };
    const auto lowIt = scratch.begin() + std::ptrdiff_t(rank(lowShare));
    std::nth_element(scratch.begin(), lowIt, scratch.end());
    s.low = *lowIt;
    const auto highIt = scratch.begin() + std::ptrdiff_t(rank(highShare));
    std::nth_element(lowIt, highIt, scratch.end());
    s.high = *highIt;

    if (!(s.high - s.low > 1e-9 * std::max(1.0, std::abs(s.high)))) {
        // One level throughout: mid grey rather than all black or all white.
        s.flat = true;
        s.gain = 1.0;
        s.offset = s.low - kWhite / 2.0;
        return s;
    }
    s.gain = kWhite / (s.high - s.low);
    s.offset = s.low * s.gain;
    return s;
}

}  // namespace sorae
