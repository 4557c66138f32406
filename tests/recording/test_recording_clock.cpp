// The recorder's clock from the creep of the sync from block to block:
// made-up position series with the jitter, the gaps and the noise blocks
// of real recordings.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <vector>

#include "recording/recording_clock.h"

namespace sorae {
namespace {

constexpr int kBlock = 12000;

struct ClockCase {
    const char* name;
    double creep;          // samples per block
    int blocks;
    double noiseShare;     // blocks whose position is noise anywhere in the block
    double missingShare;   // blocks without a candidate
    std::optional<double> ppm;  // expected; none: nothing measured
    bool worthCorrecting;
};

std::vector<int> positions(const ClockCase& c) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<int> out;
    double exact = 11990.0;   // starts near the block's end, so the creep wraps round it
    for (int k = 0; k < c.blocks; ++k, exact += c.creep) {
        const double u = uniform(random);
        if (u < c.missingShare) {
            out.push_back(kNoSyncPosition);
        } else if (u < c.missingShare + c.noiseShare) {
            out.push_back(int(uniform(random) * kBlock));
        } else {
            // whole samples, a sample of jitter either way
            const double jitter = uniform(random) * 2.0 - 1.0;
            const long p = std::lround(exact + jitter);
            out.push_back(int(((p % kBlock) + kBlock) % kBlock));
        }
    }
    return out;
}

class RecordingClockMeasure : public testing::TestWithParam<ClockCase> {};

TEST_P(RecordingClockMeasure, FromTheCreepOfTheSync) {
    const ClockCase& c = GetParam();
    const std::vector<int> p = positions(c);
    const std::optional<RecordingClock> clock = MeasureRecordingClock(p, kBlock);
    ASSERT_EQ(clock.has_value(), c.ppm.has_value());
    if (!clock) return;
    EXPECT_NEAR((clock->ratio - 1.0) * 1e6, *c.ppm, 3.0);
    EXPECT_EQ(ClockWorthCorrecting(*clock), c.worthCorrecting);
}

INSTANTIATE_TEST_SUITE_P(
    Series, RecordingClockMeasure,
    testing::Values(
        // 1000 ppm of a 12000-sample block is 12 samples a block.
        ClockCase{"Fast01Percent", 12.0, 900, 0.1, 0.1, 1000.0, true},
        ClockCase{"Slow05PercentWrapping", -60.0, 900, 0.1, 0.0, -5000.0, true},
        ClockCase{"FractionalCreep", 3.3, 400, 0.0, 0.0, 275.0, true},
        // A good sound card: measured, not worth a second decode.
        ClockCase{"WithinTolerance", 0.6, 900, 0.2, 0.1, 50.0, false},
        // Mostly noise: the steps that happen to fall near each other do
        // not make a clock.
        ClockCase{"NoiseOnly", 0.0, 900, 1.0, 0.0, std::nullopt, false},
        ClockCase{"TooFewCandidates", 12.0, 400, 0.0, 0.97, std::nullopt, false},
        ClockCase{"BeyondTheCreepSearched", 200.0, 400, 0.0, 0.0, std::nullopt, false}),
    [](const testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

TEST(RecordingClockMeasure, StepsAcrossAGapOrAResyncDoNotCount) {
    // A second of the recording lost now and then: the sync jumps by a
    // part of a line at each, which must not pull the creep.
    std::vector<int> p;
    double exact = 100.0;
    for (int k = 0; k < 600; ++k) {
        if (k % 100 == 50) exact += 4321.0;
        exact += 2.4;
        p.push_back(int(std::lround(exact)) % kBlock);
    }
    const std::optional<RecordingClock> clock = MeasureRecordingClock(p, kBlock);
    ASSERT_TRUE(clock.has_value());
    EXPECT_NEAR((clock->ratio - 1.0) * 1e6, 200.0, 3.0);
}

}  // namespace
}  // namespace sorae
