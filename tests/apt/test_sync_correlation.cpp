// The fast correlation against the shift-register loop it replaces, the sync
// pattern itself, the slicer and the position rule.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "apt/sync_correlator.h"
#include "apt/sync_pattern.h"
#include "capture/demodulator.h"
#include "synthetic_envelope.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/test_patterns.h"

namespace sorae {
namespace {

// The correlation as a 225-byte shift register fed one bit per step, scored
// byte by byte: slow and plain, the yardstick for the fast version.
SyncPeak referencePeak(const std::vector<std::uint8_t>& joined) {
    const auto& pattern = syncAPattern();
    std::array<std::uint8_t, kSyncPatternLength> window{};
    SyncPeak best;
    for (int m = 0; m < kJoinedBits; ++m) {
        for (int i = 0; i + 1 < kSyncPatternLength; ++i) window[i] = window[i + 1];
        window[kSyncPatternLength - 1] = joined[m];
        int score = 0;
        for (int i = 0; i < kSyncPatternLength; ++i) score += (window[i] == pattern[i]) ? 1 : -1;
        if (score > best.score) {
            best.score = score;
            best.step = m;
            best.found = true;
        }
    }
    return best;
}

void expectSamePeak(const std::vector<std::uint8_t>& joined, const char* what) {
    SyncCorrelator fast;
    const SyncPeak expected = referencePeak(joined);
    const SyncPeak got = fast.findPeak(joined.data());
    EXPECT_EQ(got.found, expected.found) << what;
    EXPECT_EQ(got.step, expected.step) << what;
    EXPECT_EQ(got.score, expected.score) << what;
}

TEST(SyncPattern, IsTheSyncWordAtTheEnvelopeRate) {
    const auto& p = syncAPattern();
    // 3 low words are samples 0..17 (13k/75 < 3), then the first pulse
    for (int k = 0; k <= 17; ++k) EXPECT_EQ(p[k], 0) << k;
    EXPECT_EQ(p[18], 1);
    int ones = 0, rises = 0;
    for (int k = 0; k < kSyncPatternLength; ++k) {
        ones += p[k];
        if (k > 0 && p[k] == 1 && p[k - 1] == 0) ++rises;
    }
    EXPECT_EQ(rises, 7);
    // pulses of 2 words at 2080/12000 words a sample: 11 or 12 samples each
    EXPECT_GE(ones, 7 * 11);
    EXPECT_LE(ones, 7 * 12);
    // the last pulse is words 27-28; words 29..38 are low: samples from 168 on
    for (int k = 168; k < kSyncPatternLength; ++k) EXPECT_EQ(p[k], 0) << k;
    EXPECT_EQ(p[167], 1);

    const auto& runs = syncAPatternRuns();
    EXPECT_EQ(runs.count, 15);
    EXPECT_EQ(runs.start[runs.count], kSyncPatternLength);
}

TEST(SyncCorrelation, FastAgreesWithShiftRegisterOnRandomStreams) {
    std::mt19937 rng(1234);
    for (int trial = 0; trial < 6; ++trial) {
        // from sparse to dense streams, so that scores near 0 and ties occur
        std::bernoulli_distribution bit(0.1 + 0.16 * trial);
        std::vector<std::uint8_t> joined(kJoinedBits);
        for (auto& b : joined) b = bit(rng) ? 1 : 0;
        expectSamePeak(joined, "random");
    }
}

TEST(SyncCorrelation, FastAgreesOnConstantAndPeriodicStreams) {
    expectSamePeak(std::vector<std::uint8_t>(kJoinedBits, 0), "all zero");
    expectSamePeak(std::vector<std::uint8_t>(kJoinedBits, 1), "all one");
    std::vector<std::uint8_t> square(kJoinedBits);
    for (int t = 0; t < kJoinedBits; ++t) square[t] = (t / 11) % 2;   // near the pulse rate
    expectSamePeak(square, "square wave");
}

TEST(SyncCorrelation, FastAgreesOnSlicedSyntheticLines) {
    // sync at the very start, inside the block, and straddling the join with
    // the previous block's bits, each with repeats of the pattern later on
    for (int syncStart : {0, 91, 5000, 11800, 11990}) {
        const auto previous = test::blockWithSyncAt(syncStart, 10);
        const auto current = test::blockWithSyncAt(syncStart, 11);
        std::vector<std::uint8_t> joined(kJoinedBits);
        std::vector<std::uint8_t> bits(kEnvelopeBlockSamples);
        hardLimitBlock(previous.data(), bits.data());
        std::copy(bits.end() - kSyncPatternLength, bits.end(), joined.begin());
        hardLimitBlock(current.data(), bits.data());
        std::copy(bits.begin(), bits.end(), joined.begin() + kSyncPatternLength);
        expectSamePeak(joined, "synthetic");

        SyncCorrelator fast;
        const SyncPeak peak = fast.findPeak(joined.data());
        EXPECT_EQ(peak.score, kSyncPatternLength) << syncStart;
        EXPECT_EQ(positionFromPeak(peak.step), (syncStart + 9) % kEnvelopeBlockSamples)
            << syncStart;
    }
}

TEST(SyncCorrelation, FastAgreesOnDemodulatedSignalsFromCleanToNoise) {
    // from a clean signal to one where the sync hardly stands out of the noise
    for (double snr : {40.0, 6.0, -3.0}) {
        testsignal::GeneratorOptions options;
        options.snrDb = snr;
        options.lines = 6;
        options.startFraction = 0.3;
        testsignal::AptSignalGenerator generator(
            testsignal::AptLineSource(testsignal::makeBarsPattern(8), testsignal::makeGradientPattern(8),
                                      3, 4),
            options);
        auto demod = std::make_unique<Demodulator>();
        std::vector<double> audio(Demodulator::kFramesPerBlock48k);
        std::vector<std::uint8_t> joined(kJoinedBits, 0);
        for (int block = 0; block < 5; ++block) {
            std::fill(audio.begin(), audio.end(), 0.0);
            generator.generate(audio);
            demod->demodulateEnvelope(audio.data());
            std::copy(joined.end() - kSyncPatternLength, joined.end(), joined.begin());
            hardLimitBlock(audio.data(), joined.data() + kSyncPatternLength);
            expectSamePeak(joined, "demodulated");
        }
    }
}

TEST(SyncCorrelation, SlicerTakesHalfThePeakAndTreatsZeroAsHigh) {
    std::vector<double> x(kEnvelopeBlockSamples, -1.0);
    x[3] = 0.0;
    x[7] = -0.0;
    std::vector<std::uint8_t> bits(kEnvelopeBlockSamples, 7);
    hardLimitBlock(x.data(), bits.data());   // nothing above 0: threshold 0
    for (int k = 0; k < kEnvelopeBlockSamples; ++k)
        EXPECT_EQ(bits[k], (k == 3 || k == 7) ? 1 : 0) << k;

    std::fill(x.begin(), x.end(), 1.0);
    x[100] = 4.0;   // peak 4, threshold 2: the peak and values at exactly 2 are high
    x[200] = 2.0;
    x[300] = 1.9999999;
    hardLimitBlock(x.data(), bits.data());
    EXPECT_EQ(bits[0], 0);
    EXPECT_EQ(bits[100], 1);
    EXPECT_EQ(bits[200], 1);
    EXPECT_EQ(bits[300], 0);
}

TEST(SyncCorrelation, PositionIs440StepsBackWrappedIntoTheBlock) {
    EXPECT_EQ(positionFromPeak(300), 11860);
    EXPECT_EQ(positionFromPeak(440), 0);
    EXPECT_EQ(positionFromPeak(439), 11999);
    EXPECT_EQ(positionFromPeak(0), 11560);
    EXPECT_EQ(positionFromPeak(kJoinedBits - 1), 11784);
}

}  // namespace
}  // namespace sorae
