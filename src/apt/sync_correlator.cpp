#include "apt/sync_correlator.h"

#include <algorithm>

namespace sorae {

double hardLimitBlock(const double* envelope, std::uint8_t* bits) {
    // Four running maxima, combined at the end: the largest value does not
    // depend on the order (samples that are not numbers never count).
    double peak[4] = {0.0, 0.0, 0.0, 0.0};
    for (int k = 0; k < kEnvelopeBlockSamples; k += 4)
        for (int j = 0; j < 4; ++j)
            peak[j] = envelope[k + j] > peak[j] ? envelope[k + j] : peak[j];
    double top = 0.0;
    for (double p : peak) top = p > top ? p : top;
    const double threshold = top * 0.5;
    for (int k = 0; k < kEnvelopeBlockSamples; ++k)
        bits[k] = (envelope[k] - threshold >= 0.0) ? 1 : 0;
    return threshold;
}

double modulationDepth(const double* envelope, double threshold) {
    double high = 0.0, low = 0.0;
    int highCount = 0;
    for (int k = 0; k < kEnvelopeBlockSamples; ++k) {
        const bool above = envelope[k] - threshold >= 0.0;
        high += above ? envelope[k] : 0.0;
        low += above ? 0.0 : envelope[k];
        highCount += above ? 1 : 0;
    }
    const int lowCount = kEnvelopeBlockSamples - highCount;
    if (lowCount == 0 || highCount == 0) return 0.0;
    const double meanHigh = high / highCount;
    if (!(meanHigh > 0.0)) return 0.0;
    return (meanHigh - low / lowCount) / meanHigh;
}

int positionFromPeak(int bestStep) {
    int pos = bestStep - 440;
    if (pos < 0) pos += kEnvelopeBlockSamples;
    return pos;
}

SyncCorrelator::SyncCorrelator() {
    // matches(m) = (zero bits of the pattern)
    //            + sum over runs of sign(run) * (ones of the window inside the run),
    // sign +1 for a run of ones, -1 for a run of zeros. Each run's count of
    // ones is a difference of two prefix sums, so matches(m) is a sum of
    // weight[b] * prefix[m + boundary b] over the run boundaries.
    const SyncPatternRuns& runs = syncAPatternRuns();
    auto sign = [&](int r) -> int {
        if (r < 0 || r >= runs.count) return 0;
        return runs.value[r] ? 1 : -1;
    };
    termCount_ = runs.count + 1;
    for (int b = 0; b <= runs.count; ++b) {
        termOffset_[b] = runs.start[b];
        termWeight_[b] = sign(b - 1) - sign(b);
    }
    for (std::uint8_t bit : syncAPattern())
        if (bit == 0) ++zeroBitsInPattern_;
}

SyncPeak SyncCorrelator::findPeak(const std::uint8_t* joined) {
    // The register's leading zeros contribute no ones: prefix_ stays 0 there.
    std::int32_t ones = 0;
    for (int t = 0; t < kJoinedBits; ++t) {
        ones += joined[t];
        prefix_[kLead + t + 1] = ones;
    }

    // The window after step m holds stream bits m .. m+224 of (zeros, joined).
    // The sums run term by term over chunks of steps small enough to stay in
    // the first-level cache; the weights are +-1 or +-2, so only additions.
    SyncPeak peak;   // best score starts at 0; only a higher score replaces it
    for (int base = 0; base < kJoinedBits; base += kChunk) {
        const int n = std::min(kChunk, kJoinedBits - base);
        std::int32_t* s = chunkMatches_.data();
        for (int i = 0; i < n; ++i) s[i] = zeroBitsInPattern_;
        for (int b = 0; b < termCount_; ++b) {
            const std::int32_t* src = prefix_.data() + base + termOffset_[b];
            switch (termWeight_[b]) {
            case 1: for (int i = 0; i < n; ++i) s[i] += src[i]; break;
            case -1: for (int i = 0; i < n; ++i) s[i] -= src[i]; break;
            case 2: for (int i = 0; i < n; ++i) s[i] += src[i] + src[i]; break;
            case -2: for (int i = 0; i < n; ++i) s[i] -= src[i] + src[i]; break;
            default: for (int i = 0; i < n; ++i) s[i] += termWeight_[b] * src[i]; break;
            }
        }
        // first the chunk's best, then (rarely) where it first occurs
        std::int32_t chunkBest = s[0];
        for (int i = 1; i < n; ++i) chunkBest = s[i] > chunkBest ? s[i] : chunkBest;
        const int score = 2 * chunkBest - kSyncPatternLength;
        if (score > peak.score) {
            int i = 0;
            while (s[i] != chunkBest) ++i;
            peak.score = score;
            peak.step = base + i;
            peak.found = true;
        }
    }
    return peak;
}

}  // namespace sorae
