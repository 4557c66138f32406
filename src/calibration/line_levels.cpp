#include "calibration/line_levels.h"

#include <algorithm>
#include <cmath>

#include "calibration/pass_telemetry.h"

namespace sorae {
namespace {

constexpr int kMedianHalfWidth = 40;      // lines either side of the running median
constexpr double kMarkerDeviation = 0.15; // farther off than this: a sensor switch or a fade
constexpr int kSpaceEdge = 3;

struct SpaceReading {
    double mean = 0.0;
    double meanVariance = 0.0;   // variance of the mean from the words' own scatter
};

SpaceReading spaceReading(const LineStore& store, int channel, int line) {
    SpaceReading r;
    const int first = kSpaceFirstWord + kSpaceEdge;
    const int n = kSpaceWords - 2 * kSpaceEdge;
    const int left = n / 2, right = n - left;
    double sumLeft = 0.0, sumRight = 0.0;
    for (int i = 0; i < n; ++i) (i < left ? sumLeft : sumRight) += store.at(channel, first + i, line);
    r.mean = (sumLeft + sumRight) / n;
    // The two halves of the view share the line's gain but not its noise,
    // so their difference is noise alone, whatever the chain's filters make
    // of neighbouring words: Var(mean) = Var(left - right) * left * right / n^2.
    const double d = sumLeft / left - sumRight / right;
    r.meanVariance = d * d * double(left) * double(right) / (double(n) * n);
    return r;
}

}  // namespace

LineLevels::LineLevels(const LineStore& store, int firstLine, int count, bool levelFollowsLines)
    : store_(store), first_(firstLine), factor_(std::size_t(std::max(count, 0)), 1.0),
      markers_(FindMinuteMarkers(store, firstLine, count)) {
    const int n = int(factor_.size());
    if (n < 2 * kMedianHalfWidth) return;
    // the channel that sees space brightest
    double bright[2] = {0.0, 0.0};
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < n; i += 16) bright[ch] += spaceReading(store, ch, firstLine + i).mean;
    const int ch = bright[1] >= bright[0] ? 1 : 0;

    std::vector<SpaceReading> space(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) space[std::size_t(i)] = spaceReading(store, ch, firstLine + i);
    std::vector<double> ratio(static_cast<std::size_t>(n), 1.0), window;
    std::vector<bool> usable(static_cast<std::size_t>(n), false);
    double wobble = 0.0, noise = 0.0;
    int used = 0;
    for (int i = 0; i < n; ++i) {
        window.clear();
        for (int j = std::max(0, i - kMedianHalfWidth); j <= std::min(n - 1, i + kMedianHalfWidth); ++j)
            window.push_back(space[std::size_t(j)].mean);
        std::nth_element(window.begin(), window.begin() + long(window.size() / 2), window.end());
        const double median = window[window.size() / 2];
        if (!(median > 0.0)) continue;
        // A marker's white lines are brighter than the space by a few
        // percent only; they are known by the black pair before them.
        if (markers_.isMarked(firstLine + i)) continue;
        const double r = space[std::size_t(i)].mean / median;
        if (std::fabs(r - 1.0) > kMarkerDeviation) continue;
        ratio[std::size_t(i)] = r;
        usable[std::size_t(i)] = true;
        wobble += (r - 1.0) * (r - 1.0);
        noise += space[std::size_t(i)].meanVariance / (median * median);
        ++used;
    }
    if (used < kMedianHalfWidth || !(wobble > 0.0)) return;
    // Only the wobble beyond the space words' own noise is gain. That holds
    // for an automatic level too: it is read from the spaces beside the
    // pictures and smoothed over half a minute, so it is as steady as a
    // hand-set gain, and taking its lines' wobble out in full would only
    // add the space view's noise to every line (0.03 K of block error at
    // 20 dB, 0.1 K at 10 dB).
    (void)levelFollowsLines;
    shrink_ = std::clamp(1.0 - noise / wobble, 0.0, 1.0);
    for (int i = 0; i < n; ++i)
        if (usable[std::size_t(i)]) factor_[std::size_t(i)] = 1.0 / (1.0 + shrink_ * (ratio[std::size_t(i)] - 1.0));
}

}  // namespace sorae
