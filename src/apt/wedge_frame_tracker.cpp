#include "apt/wedge_frame_tracker.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorae {
namespace {

constexpr double kNoLevel = std::numeric_limits<double>::quiet_NaN();

// Mean of the values without the lowest and the highest once there are four
// or more (a click or a half-silent line is one outlier), the median of three.
double robustMean(double* v, int n) {
    if (n == 0) return kNoLevel;
    std::sort(v, v + n);
    if (n <= 3) return n == 2 ? (v[0] + v[1]) / 2.0 : v[n / 2];
    double sum = 0.0;
    for (int i = 1; i + 1 < n; ++i) sum += v[i];
    return sum / (n - 2);
}

}  // namespace

double WedgeFrameTracker::wedgeLevel(int channel, std::int64_t end, int wedge) const {
    const std::int64_t first = end - kLinesPerFrame + 1 + std::int64_t(wedge - 1) * kLinesPerWedge;
    double values[kMiddleLines];
    int n = 0;
    for (int i = kFirstMiddleLine; i < kFirstMiddleLine + kMiddleLines; ++i) {
        const int s = slot(first + i);
        if (synchronised_[s]) values[n++] = level_[channel][s];
    }
    return n >= kMinUsableLines ? robustMean(values, n) : kNoLevel;
}

double WedgeFrameTracker::contrast(std::int64_t end) const {
    double sum = 0.0;
    for (int r = 0; r < 2; ++r) sum += wedgeLevel(r, end, 8) - wedgeLevel(r, end, 9);
    return std::isnan(sum) ? -std::numeric_limits<double>::infinity() : sum;
}

bool WedgeFrameTracker::addLine(double levelA, double levelB, bool synchronised) {
    const std::int64_t line = lines_++;
    const int s = slot(line);
    level_[0][s] = levelA;
    level_[1][s] = levelB;
    synchronised_[s] = synchronised;
    contrast_[s] = line + 1 >= kLinesPerFrame ? contrast(line) : -std::numeric_limits<double>::infinity();

    // The frame ending kPeakHalfWidth lines ago is read when its contrast
    // is a peak: above the lines before it, not below those after it.
    const std::int64_t end = line - kPeakHalfWidth;
    if (end + 1 < kLinesPerFrame) return false;
    const double peak = contrast_[slot(end)];
    if (!(peak > 0.0) || std::isinf(peak)) return false;
    for (int d = 1; d <= kPeakHalfWidth; ++d)
        if (contrast_[slot(end - d)] >= peak || contrast_[slot(end + d)] > peak) return false;

    for (int r = 0; r < 2; ++r)
        for (int k = 1; k <= kWedges; ++k) frame_[r][k - 1] = wedgeLevel(r, end, k);
    lastFrameEnd_ = end;
    return true;
}

}  // namespace sorae
