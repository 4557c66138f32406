#include "apt/folded_wedge_frames.h"

#include <cmath>
#include <limits>

namespace sorae {

void FoldedWedgeFrames::reset() {
    for (auto& s : sum_) s.fill(0.0);
    count_.fill(0);
    lines_ = 0;
    synchronisedLines_ = 0;
}

void FoldedWedgeFrames::addLine(double levelA, double levelB, bool synchronised) {
    const int phase = int(lines_ % kPeriod);
    ++lines_;
    if (!synchronised || !std::isfinite(levelA) || !std::isfinite(levelB)) return;
    sum_[0][std::size_t(phase)] += levelA;
    sum_[1][std::size_t(phase)] += levelB;
    ++count_[std::size_t(phase)];
    ++synchronisedLines_;
}

double FoldedWedgeFrames::wedgeLevel(int channel, int start, int wedge) const {
    double sum = 0.0;
    long count = 0;
    const int first = start + (wedge - 1) * WedgeFrameTracker::kLinesPerWedge + WedgeFrameTracker::kFirstMiddleLine;
    for (int i = 0; i < WedgeFrameTracker::kMiddleLines; ++i) {
        const std::size_t phase = std::size_t((first + i) % kPeriod);
        sum += sum_[std::size_t(channel)][phase];
        count += count_[phase];
    }
    return count > 0 ? sum / double(count) : std::numeric_limits<double>::quiet_NaN();
}

bool FoldedWedgeFrames::read(std::array<WedgeLevels, 2>& frame) const {
    int bestStart = -1;
    double bestContrast = 0.0;
    for (int start = 0; start < kPeriod; ++start) {
        double contrast = 0.0;
        for (int r = 0; r < 2; ++r) contrast += wedgeLevel(r, start, 8) - wedgeLevel(r, start, 9);
        if (contrast > bestContrast) {   // NaN never is
            bestContrast = contrast;
            bestStart = start;
        }
    }
    if (bestStart < 0) return false;
    for (int r = 0; r < 2; ++r)
        for (int k = 1; k <= WedgeFrameTracker::kWedges; ++k) {
            const double level = wedgeLevel(r, bestStart, k);
            if (std::isnan(level)) return false;
            frame[std::size_t(r)][std::size_t(k - 1)] = level;
        }
    return true;
}

}  // namespace sorae
