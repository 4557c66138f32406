#include "apt/sync_tracker.h"

#include <algorithm>
#include <cmath>

namespace sorae {
namespace {

constexpr int kBlocks = 3;
constexpr int kMaxSpan = 2 * SyncTracker::kSearchHalfWidth + 1 + kSyncPatternLength;

// The high runs of a sync pattern as [begin, end) pairs.
struct HighRuns {
    int count = 0;
    int highSamples = 0;
    std::array<int, 16> begin{}, end{};
};

HighRuns highRunsOf(const std::array<std::uint8_t, kSyncPatternLength>& pattern) {
    HighRuns runs;
    for (int k = 0; k < kSyncPatternLength; ++k) {
        if (!pattern[k]) continue;
        ++runs.highSamples;
        if (k == 0 || !pattern[k - 1]) runs.begin[runs.count] = k;
        if (k + 1 == kSyncPatternLength || !pattern[k + 1]) runs.end[runs.count++] = k + 1;
    }
    return runs;
}

const std::array<HighRuns, 2>& syncRuns() {
    static const std::array<HighRuns, 2> runs{highRunsOf(syncAPattern()), highRunsOf(syncBPattern())};
    return runs;
}

// Sum over the pattern's zero-mean weights squared: n_high (1 - n_high / n).
double patternEnergy() {
    double e = 0.0;
    for (const HighRuns& r : syncRuns())
        e += r.highSamples * (1.0 - double(r.highSamples) / kSyncPatternLength);
    return e;
}

struct Best {
    int offset = 0;
    double correlation = -2.0;
    double fraction = 0.0;   // sub-sample correction of offset, -0.5..0.5
};

}  // namespace

void SyncTracker::reset() {
    tracking_ = false;
    drift_ = 0.0;
    coastLines_ = 0;
}

double SyncTracker::sample(int joinedIndex) const {
    // joined: the block before the previous, the previous, the current
    const int block = joinedIndex / kEnvelopeBlockSamples;   // 0, 1 or 2
    const int slot = (newest_ + 1 + block) % kBlocks;
    return blocks_[std::size_t(slot)][std::size_t(joinedIndex % kEnvelopeBlockSamples)];
}

namespace {

// The correlation coefficient at each offset lo..hi: both words' spans
// gathered, prefix sums of x and x^2, and per offset a few differences.
template <typename Sample>
Best searchWindow(const Sample& sample, int lo, int hi) {
    static const double energy = patternEnergy();
    const int span = hi - lo + kSyncPatternLength;
    std::array<std::array<double, kMaxSpan + 1>, 2> sum{}, square{};
    for (int w = 0; w < 2; ++w) {
        const int first = kEnvelopeBlockSamples + lo - SyncTracker::kOffsetAfterSyncStart +
                          (w == 1 ? kSyncBDelaySamples : 0);
        for (int k = 0; k < span; ++k) {
            const double x = sample(first + k);
            sum[w][std::size_t(k + 1)] = sum[w][std::size_t(k)] + x;
            square[w][std::size_t(k + 1)] = square[w][std::size_t(k)] + x * x;
        }
    }
    std::array<double, 2 * SyncTracker::kSearchHalfWidth + 1> r{};
    Best best;
    for (int o = lo; o <= hi; ++o) {
        const int at = o - lo;
        double score = 0.0, variance = 0.0;
        for (int w = 0; w < 2; ++w) {
            const HighRuns& runs = syncRuns()[std::size_t(w)];
            const auto& s = sum[std::size_t(w)];
            double high = 0.0;
            for (int i = 0; i < runs.count; ++i)
                high += s[std::size_t(at + runs.end[std::size_t(i)])] - s[std::size_t(at + runs.begin[std::size_t(i)])];
            const double total = s[std::size_t(at + kSyncPatternLength)] - s[std::size_t(at)];
            const double totalSquare =
                square[std::size_t(w)][std::size_t(at + kSyncPatternLength)] - square[std::size_t(w)][std::size_t(at)];
            score += high - runs.highSamples * total / kSyncPatternLength;
            variance += totalSquare - total * total / kSyncPatternLength;
        }
        r[std::size_t(at)] = variance > 0.0 ? score / std::sqrt(energy * variance) : 0.0;
        if (r[std::size_t(at)] > best.correlation) {
            best.correlation = r[std::size_t(at)];
            best.offset = o;
        }
    }
    // A parabola through the peak and its neighbours places it between samples.
    const int at = best.offset - lo;
    if (at > 0 && best.offset < hi) {
        const double left = r[std::size_t(at - 1)], mid = r[std::size_t(at)], right = r[std::size_t(at + 1)];
        const double curve = left - 2.0 * mid + right;
        if (curve < 0.0) best.fraction = std::clamp(0.5 * (left - right) / curve, -0.5, 0.5);
    }
    return best;
}

}  // namespace

double SyncTracker::correlationAt(int offset) const {
    if (blocksSeen_ < kBlocks) return 0.0;
    const int o = std::clamp(offset, -kSearchHalfWidth, kEnvelopeBlockSamples + kSearchHalfWidth);
    return searchWindow([this](int i) { return sample(i); }, o, o).correlation;
}

SyncTracker::Step SyncTracker::update(const double* envelope, std::optional<int> confirmed) {
    newest_ = (newest_ + 1) % kBlocks;
    std::copy(envelope, envelope + kEnvelopeBlockSamples, blocks_[std::size_t(newest_)].begin());
    ++blocksSeen_;

    Step step;
    if (!tracking_) {
        if (!confirmed || blocksSeen_ < kBlocks) return step;
        tracking_ = true;
        position_ = *confirmed;
        drift_ = 0.0;
        coastLines_ = 0;
    }

    // The line rate puts this line's sync here; look for it nearby.
    const double predicted = position_ + drift_;
    const int centre = int(std::lround(predicted));
    const Best best = searchWindow([this](int i) { return sample(i); }, centre - kSearchHalfWidth,
                                   centre + kSearchHalfWidth);
    const double found = best.offset + best.fraction;
    const double error = found - predicted;
    step.correlation = best.correlation;
    if (best.correlation >= kMinCorrelation && std::abs(error) <= kGateSamples) {
        position_ = predicted + kPositionGain * error;
        drift_ = std::clamp(drift_ + kDriftGain * error, -kMaxDrift, kMaxDrift);
        coastLines_ = 0;
        step.ownSync = true;
    } else if (confirmed && std::abs(*confirmed - predicted) > kGateSamples &&
               std::abs(*confirmed - predicted) < kEnvelopeBlockSamples - kGateSamples) {
        // Lost here, confirmed elsewhere: the line has moved (a gap, a jump).
        position_ = *confirmed;
        drift_ = 0.0;
        coastLines_ = 0;
    } else {
        position_ = predicted;
        if (++coastLines_ > kMaxCoastLines) {
            reset();
            return step;
        }
    }
    // Around the block edge the line is cut from the next or last block pair.
    if (position_ < 0.0) position_ += kEnvelopeBlockSamples;
    if (position_ >= kEnvelopeBlockSamples) position_ -= kEnvelopeBlockSamples;
    step.tracking = true;
    step.offset = int(std::lround(position_)) % kEnvelopeBlockSamples;
    return step;
}

}  // namespace sorae
