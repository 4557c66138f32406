#include "recording/telemetry_frame_phase.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "apt/wedge_frame_tracker.h"

namespace sorae {

namespace {

constexpr int kLinesPerWedge = WedgeFrameTracker::kLinesPerWedge;
constexpr int kLinesPerFrame = WedgeFrameTracker::kLinesPerFrame;
// The middle of each half's telemetry words, as stored.
constexpr int kTelemetryFirstWord = 1000;
constexpr int kTelemetryWords = 35;
// The drop must stand this far above any other step of the cycle (three
// lines or more away from it), and the wedges around it must follow the
// staircase this closely.
constexpr double kEdgeMargin = 1.5;
constexpr double kMinStaircaseCorrelation = 0.9;
// All of wedges 2..9 must be seen: the few steps of a short stretch of
// lines (between frequent gaps) can pass for the drop and part of the
// staircase, and a wrong phase would count most of a minute lost.
constexpr std::size_t kMinWedges = 8;

}  // namespace

std::vector<double> TelemetryLevels(const LineStore& store, int lines) {
    std::vector<double> level(std::size_t(std::max(0, lines)), 0.0);
    for (int j = 0; j < lines; ++j) {
        double sum = 0.0;
        for (int c = 0; c < 2; ++c)
            for (int w = kTelemetryFirstWord; w < kTelemetryFirstWord + kTelemetryWords; ++w) sum += store.at(c, w, j);
        level[std::size_t(j)] = sum / (2 * kTelemetryWords);
    }
    return level;
}

double PearsonCorrelation(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = double(a.size());
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) ma += a[i] / n, mb += b[i] / n;
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

std::optional<int> TelemetryFramePhase(const std::vector<double>& level, int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, int(level.size()) - 1);
    constexpr int kEdge = 8 * kLinesPerWedge;  // the first line of wedge 9
    // The drop at each phase of the cycle: two lines before less two after.
    std::vector<double> edge(kLinesPerFrame, 0.0);
    std::vector<int> edges(kLinesPerFrame, 0);
    for (int j = first + 2; j + 1 <= last; ++j) {
        const int phase = ((j - kEdge) % kLinesPerFrame + kLinesPerFrame) % kLinesPerFrame;
        edge[std::size_t(phase)] += level[std::size_t(j - 2)] + level[std::size_t(j - 1)] -
                                    level[std::size_t(j)] - level[std::size_t(j + 1)];
        edges[std::size_t(phase)] += 1;
    }
    int best = -1;
    for (int phase = 0; phase < kLinesPerFrame; ++phase) {
        if (edges[std::size_t(phase)] == 0) continue;
        edge[std::size_t(phase)] /= edges[std::size_t(phase)];
        if (best < 0 || edge[std::size_t(phase)] > edge[std::size_t(best)]) best = phase;
    }
    if (best < 0 || edge[std::size_t(best)] <= 0.0) return std::nullopt;
    double rival = 0.0;
    for (int phase = 0; phase < kLinesPerFrame; ++phase) {
        const int apart = std::abs(phase - best);
        if (std::min(apart, kLinesPerFrame - apart) >= 3 && edges[std::size_t(phase)] > 0)
            rival = std::max(rival, edge[std::size_t(phase)]);
    }
    if (edge[std::size_t(best)] < kEdgeMargin * rival) return std::nullopt;

    // Wedges 2..9 (the middle lines of each) as far as the lines hold them,
    // against the staircase they are: 2/8 .. 8/8, then black (wedge 1 is
    // left out: a pass often begins in it).
    std::vector<double> sum(8, 0.0);
    std::vector<int> count(8, 0);
    for (int start = best - kLinesPerFrame * ((best - first) / kLinesPerFrame + 1); start <= last;
         start += kLinesPerFrame) {
        for (int w = 1; w < 9; ++w) {
            const int from = start + w * kLinesPerWedge + 1;
            const int to = from + kLinesPerWedge - 3;
            if (from < first || to > last) continue;
            for (int j = from; j <= to; ++j) sum[std::size_t(w - 1)] += level[std::size_t(j)];
            count[std::size_t(w - 1)] += kLinesPerWedge - 2;
        }
    }
    std::vector<double> wedges, staircase;
    for (int w = 0; w < 8; ++w) {
        if (count[std::size_t(w)] == 0) continue;
        wedges.push_back(sum[std::size_t(w)] / count[std::size_t(w)]);
        staircase.push_back(w == 7 ? 0.0 : w + 2.0);
    }
    if (wedges.size() < kMinWedges || staircase.back() != 0.0) return std::nullopt;
    if (PearsonCorrelation(wedges, staircase) < kMinStaircaseCorrelation) return std::nullopt;
    return best;
}

}  // namespace sorae
