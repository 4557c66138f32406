#include "apt/sync_correlator.h"

namespace sorae {

void hardLimitBlock(const double* envelope, std::uint8_t* bits) {
    double peak = 0.0;
    for (int k = 0; k < kEnvelopeBlockSamples; ++k)
        if (envelope[k] > peak) peak = envelope[k];
    const double threshold = peak * 0.5;
    for (int k = 0; k < kEnvelopeBlockSamples; ++k)
        bits[k] = (envelope[k] - threshold >= 0.0) ? 1 : 0;
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
    SyncPeak peak;   // best score starts at 0; only a higher score replaces it
    const std::int32_t* p = prefix_.data();
    for (int m = 0; m < kJoinedBits; ++m) {
        std::int32_t matches = zeroBitsInPattern_;
        for (int b = 0; b < termCount_; ++b)
            matches += termWeight_[b] * p[m + termOffset_[b]];
        const int score = 2 * matches - kSyncPatternLength;
        if (score > peak.score) {
            peak.score = score;
            peak.step = m;
            peak.found = true;
        }
    }
    return peak;
}

}  // namespace sorae
