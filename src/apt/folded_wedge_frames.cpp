#include "apt/folded_wedge_frames.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorae {

FoldedWedgeFrames::FoldedWedgeFrames() {
    for (auto& l : level_) l.assign(kMaxLines, std::numeric_limits<double>::quiet_NaN());
    scratch_.reserve(kMaxLines);
}

void FoldedWedgeFrames::reset() {
    for (auto& l : level_) std::fill(l.begin(), l.end(), std::numeric_limits<double>::quiet_NaN());
    lines_ = 0;
    synchronisedLines_ = 0;
}

void FoldedWedgeFrames::addLine(double levelA, double levelB, bool synchronised) {
    const long line = lines_++;
    if (line >= kMaxLines || !synchronised || !std::isfinite(levelA) || !std::isfinite(levelB)) return;
    level_[0][std::size_t(line)] = levelA;
    level_[1][std::size_t(line)] = levelB;
    ++synchronisedLines_;
}

double FoldedWedgeFrames::wedgeLevel(int channel, int start, int wedge) const {
    const int first = start + (wedge - 1) * WedgeFrameTracker::kLinesPerWedge + WedgeFrameTracker::kFirstMiddleLine;
    const long lines = std::min<long>(lines_, kMaxLines);
    const std::vector<double>& level = level_[std::size_t(channel)];
    scratch_.clear();
    for (long frame = 0; frame * kPeriod < lines + kPeriod; ++frame)
        for (int i = 0; i < WedgeFrameTracker::kMiddleLines; ++i) {
            const long line = frame * kPeriod + (first + i) % kPeriod;
            if (line < lines && !std::isnan(level[std::size_t(line)])) scratch_.push_back(level[std::size_t(line)]);
        }
    if (scratch_.empty()) return std::numeric_limits<double>::quiet_NaN();
    std::sort(scratch_.begin(), scratch_.end());
    const std::size_t cut = std::size_t(double(scratch_.size()) * kTrimmed);
    double sum = 0.0;
    for (std::size_t i = cut; i < scratch_.size() - cut; ++i) sum += scratch_[i];
    return sum / double(scratch_.size() - 2 * cut);
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
