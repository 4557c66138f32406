#include "calibration/level_scale.h"

#include <algorithm>
#include <cmath>

#include "calibration/robust_mean.h"

namespace sorae {

double LevelScale::pointWord(int i) { return i == 0 ? 0.0 : double((i * 255 + 4) / 8); }

LevelScale::LevelScale(const std::array<double, kPoints>& levels) : raw_(levels) {
    for (int i = 0; i < kPoints; ++i) {
        if (!std::isfinite(levels[i])) continue;
        if (count_ > 0 && !(levels[i] > levels_[count_ - 1])) continue;
        levels_[count_] = levels[i];
        words_[count_] = pointWord(i);
        ++count_;
    }
}

std::optional<LevelScale> LevelScale::fromWedges(const WedgeLevels& wedges) {
    std::array<double, kPoints> levels{};
    levels[0] = wedges[8];
    for (int i = 1; i < kPoints; ++i) levels[i] = wedges[i - 1];
    if (!std::isfinite(levels[0]) || !std::isfinite(levels[8]) || !(levels[8] > levels[0]))
        return std::nullopt;
    LevelScale s(levels);
    if (s.count_ < 2) return std::nullopt;
    return s;
}

std::optional<LevelScale> LevelScale::median(const std::vector<LevelScale>& scales) {
    if (scales.empty()) return std::nullopt;
    std::array<double, kPoints> levels{};
    std::vector<double> v;
    for (int i = 0; i < kPoints; ++i) {
        v.clear();
        for (const LevelScale& s : scales)
            if (std::isfinite(s.raw_[i])) v.push_back(s.raw_[i]);
        if (v.empty()) {
            levels[i] = NAN;
            continue;
        }
        std::sort(v.begin(), v.end());
        levels[i] = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
    }
    LevelScale s(levels);
    if (s.count_ < 2) return std::nullopt;
    return s;
}

std::optional<LevelScale> LevelScale::straightLine(const std::vector<LevelScale>& scales) {
    const std::optional<LevelScale> middle = median(scales);
    if (!middle) return std::nullopt;
    // each point the mean of its frames, a frame far off the others (hit
    // by noise or a drop-out) left out; readings within a word agree
    const double word = (middle->whiteLevel() - middle->zeroLevel()) / 255.0;
    std::array<double, kPoints> mean{};
    double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0, variance = 0.0;
    int n = 0;
    std::vector<double> v, deviation;
    for (int i = 0; i < kPoints; ++i) {
        v.clear();
        for (const LevelScale& s : scales)
            if (std::isfinite(s.raw_[i])) v.push_back(s.raw_[i]);
        const RobustMean m = RobustMeanOf(v, word);
        mean[i] = m.mean;
        if (!std::isfinite(m.mean)) continue;
        // the mean's own noise, from the frames' scatter (1.4826 MAD)
        deviation.clear();
        for (const double x : v) deviation.push_back(std::fabs(x - m.mean));
        std::nth_element(deviation.begin(), deviation.begin() + long(deviation.size() / 2), deviation.end());
        const double sd = 1.4826 * deviation[deviation.size() / 2];
        variance += sd * sd / double(v.size());
        const double x = pointWord(i);
        sx += x;
        sy += m.mean;
        sxx += x * x;
        sxy += x * m.mean;
        ++n;
    }
    const double d = n * sxx - sx * sx;
    if (n < 3 || !(d > 0.0)) return std::nullopt;
    const double slope = (n * sxy - sx * sy) / d, intercept = (sy - slope * sx) / n;
    if (!(slope > 0.0)) return std::nullopt;
    // A chain that bends (an FM receiver near full deviation, an envelope
    // detector's dark levels under noise) puts points off the line by more
    // than their noise: then no line.
    const double allowed = kLinearityNoiseWidths * std::sqrt(variance / n) + kLinearityFloorWords * slope;
    for (int i = 0; i < kPoints; ++i)
        if (std::isfinite(mean[i]) && std::fabs(mean[i] - (intercept + slope * pointWord(i))) > allowed)
            return std::nullopt;
    std::array<double, kPoints> levels{};
    for (int i = 0; i < kPoints; ++i) levels[i] = intercept + slope * pointWord(i);
    return LevelScale(levels);
}

double LevelScale::word(double level) const {
    // the piece whose upper point lies above the level (the last beyond the top)
    int k = 1;
    while (k < count_ - 1 && level > levels_[k]) ++k;
    return words_[k - 1] + (level - levels_[k - 1]) * (words_[k] - words_[k - 1]) /
                               (levels_[k] - levels_[k - 1]);
}

double LevelScale::level(double word) const {
    int k = 1;
    while (k < count_ - 1 && word > words_[k]) ++k;
    return levels_[k - 1] + (word - words_[k - 1]) * (levels_[k] - levels_[k - 1]) /
                                (words_[k] - words_[k - 1]);
}

}  // namespace sorae
