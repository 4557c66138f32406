#include "recording/recording_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace sorae {

namespace {
// Steps this close to the median count as the creep; the sync position
// jitters by a sample or two between blocks.
constexpr int kAgreeSamples = 3;
// Of the steps within kMaxCreepSamples, at least this share must agree:
// noise scatters its positions over the whole block.
constexpr double kMinAgreeingShare = 0.4;
}  // namespace

std::optional<RecordingClock> MeasureRecordingClock(std::span<const int> positions, int blockSamples) {
    if (blockSamples <= 2 * kMaxCreepSamples) return std::nullopt;
    std::vector<int> steps;
    for (std::size_t k = 1; k < positions.size(); ++k) {
        const int a = positions[k - 1];
        const int b = positions[k];
        if (a < 0 || b < 0 || a >= blockSamples || b >= blockSamples) continue;
        int step = b - a;
        if (step > blockSamples / 2) step -= blockSamples;
        if (step < -blockSamples / 2) step += blockSamples;
        if (std::abs(step) <= kMaxCreepSamples) steps.push_back(step);
    }
    if (int(steps.size()) < kMinAgreeingPairs) return std::nullopt;
    std::vector<int> sorted = steps;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    const int median = sorted[sorted.size() / 2];
    long sum = 0;
    int agreeing = 0;
    for (int s : steps) {
        if (std::abs(s - median) > kAgreeSamples) continue;
        sum += s;
        ++agreeing;
    }
    if (agreeing < kMinAgreeingPairs || agreeing < kMinAgreeingShare * double(steps.size())) return std::nullopt;
    const double creep = double(sum) / agreeing;
    return RecordingClock{(blockSamples + creep) / blockSamples, agreeing};
}

bool ClockWorthCorrecting(const RecordingClock& clock) {
    return std::fabs(clock.ratio - 1.0) * 1e6 >= kMinCorrectionPpm;
}

}  // namespace sorae
