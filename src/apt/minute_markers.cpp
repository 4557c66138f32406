#include "apt/minute_markers.h"

#include <algorithm>
#include <map>

namespace sorae {

namespace {

// The space words of a stored channel line, less a few at each edge that
// the line averaging blurs into the sync and the picture.
constexpr int kSpaceFirstWord = 39 + 3;
constexpr int kSpaceLastWord = 39 + 47 - 3;
// The white of the space is the running median of the brighter space over
// this many lines either side (a marker's four lines are few among them).
constexpr int kMedianHalfWidth = 40;
// Both spaces darker than this share of that white: a black line. Both at
// least this share: a white line (at night both spaces are white anyway).
constexpr double kDarkShare = 0.5;
constexpr double kBrightShare = 0.75;

// Sync A, whose seven white pulses a marker leaves as they are.
constexpr int kSyncWords = 39;

double meanOf(const LineStore& store, int channel, int line, int from, int to) {
    double sum = 0.0;
    for (int w = from; w < to; ++w) sum += store.at(channel, w, line);
    return sum / (to - from);
}

std::vector<double> RunningMedian(const std::vector<double>& v) {
    const int n = int(v.size());
    std::vector<double> median(v.size()), window;
    for (int i = 0; i < n; ++i) {
        window.assign(v.begin() + std::max(0, i - kMedianHalfWidth), v.begin() + std::min(n, i + kMedianHalfWidth + 1));
        std::nth_element(window.begin(), window.begin() + long(window.size() / 2), window.end());
        median[std::size_t(i)] = window[window.size() / 2];
    }
    return median;
}

}  // namespace

MinuteMarkers FindMinuteMarkers(const LineStore& store, int first, int count) {
    MinuteMarkers m;
    first = std::clamp(first, 0, kMaxLines);
    count = std::clamp(count, 0, kMaxLines - first);
    m.first = first;
    m.marked.assign(std::size_t(count), false);
    if (count == 0) return m;

    std::vector<double> darker(static_cast<std::size_t>(count)), brighter(static_cast<std::size_t>(count));
    std::vector<double> sync(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double a = meanOf(store, 0, first + i, kSpaceFirstWord, kSpaceLastWord);
        const double b = meanOf(store, 1, first + i, kSpaceFirstWord, kSpaceLastWord);
        darker[std::size_t(i)] = std::min(a, b);
        brighter[std::size_t(i)] = std::max(a, b);
        sync[std::size_t(i)] = meanOf(store, 0, first + i, 0, kSyncWords);
    }
    const std::vector<double> white = RunningMedian(brighter), usualSync = RunningMedian(sync);
    // A fade darkens the whole line, its sync too; a marker only the spaces.
    auto black = [&](int i) {
        return i >= 0 && i < count && white[std::size_t(i)] > 0.0 &&
               brighter[std::size_t(i)] < kDarkShare * white[std::size_t(i)];
    };
    auto faded = [&](int i) { return sync[std::size_t(i)] < kDarkShare * usualSync[std::size_t(i)]; };
    auto bothWhite = [&](int i) {
        return i >= 0 && i < count && white[std::size_t(i)] > 0.0 &&
               darker[std::size_t(i)] >= kBrightShare * white[std::size_t(i)];
    };

    for (int i = 0; i < count;) {
        if (!black(i)) {
            ++i;
            continue;
        }
        int end = i;
        while (black(end + 1)) ++end;
        // The dark lines and the two after them (a marker's white pair).
        for (int k = i; k <= std::min(count - 1, end + MinuteMarkers::kMarkerLines - MinuteMarkers::kBlackLines);
             ++k)
            m.marked[std::size_t(k)] = true;
        // A marker: exactly its black pair, the lines' syncs as ever, then
        // both spaces white.
        if (end - i + 1 == MinuteMarkers::kBlackLines && !faded(i) && !faded(end) && bothWhite(end + 1) &&
            bothWhite(end + 2))
            m.starts.push_back(first + i);
        i = end + 1;
    }
    return m;
}

std::optional<int> MinutePhase(const MinuteMarkers& markers, int from, int to) {
    std::map<int, int> votes;
    int total = 0;
    for (const int s : markers.starts) {
        if (s < from || s + MinuteMarkers::kMarkerLines - 1 > to) continue;
        ++votes[s % MinuteMarkers::kLinesPerMinute];
        ++total;
    }
    if (total == 0) return std::nullopt;
    const auto best = std::max_element(votes.begin(), votes.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    // Most must agree: a fade of just two lines before a bright one can
    // pass for a marker.
    if (2 * best->second <= total) return std::nullopt;
    return best->first;
}

}  // namespace sorae
