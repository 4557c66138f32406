// The lines' gain, taken out where it wobbles and left alone where only the
// space view's noise does.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "calibration/line_levels.h"
#include "calibration/pass_telemetry.h"

namespace sorae {
namespace {

struct GainCase {
    double gainWobble;     // standard deviation of the lines' gain (fraction)
    bool automaticLevel;
    double maxShrink, minShrink;
    bool scatterFalls;     // the corrected lines scatter less than the received ones
};

class LineGain : public ::testing::TestWithParam<GainCase> {};

TEST_P(LineGain, TakenOutOnlyWhereItIsMoreThanNoise) {
    const GainCase& p = GetParam();
    constexpr int kLines = 600;
    constexpr double kSpace = 1400.0, kScene = 800.0, kNoise = 60.0;   // levels
    std::mt19937_64 rng(5);
    std::normal_distribution<double> noise(0.0, kNoise), wobble(0.0, p.gainWobble);
    auto store = std::make_unique<LineStore>();
    std::vector<double> gain(kLines);
    for (int line = 0; line < kLines; ++line) {
        gain[std::size_t(line)] = 1.0 + wobble(rng);
        for (int w = 0; w < kWordsPerChannel; ++w) {
            const bool space = w >= kSpaceFirstWord && w < kSpaceFirstWord + kSpaceWords;
            store->at(1, w, line) = gain[std::size_t(line)] * ((space ? kSpace : kScene) + noise(rng));
            store->at(0, w, line) = gain[std::size_t(line)] * 300.0;
        }
    }
    const LineLevels levels(*store, 0, kLines, p.automaticLevel);
    EXPECT_LE(levels.shrink(), p.maxShrink);
    EXPECT_GE(levels.shrink(), p.minShrink);
    // the scatter of a line's scene mean, before and after
    auto scatter = [&](bool corrected) {
        double sum = 0.0, sum2 = 0.0;
        for (int line = 0; line < kLines; ++line) {
            double m = 0.0;
            for (int w = kImageFirstWord; w < kImageFirstWord + kImageWords; ++w)
                m += corrected ? levels.at(1, w, line) : store->at(1, w, line);
            m /= kImageWords;
            sum += m;
            sum2 += m * m;
        }
        return std::sqrt(sum2 / kLines - (sum / kLines) * (sum / kLines));
    };
    if (p.scatterFalls)
        EXPECT_LT(scatter(true), 0.7 * scatter(false));
    else
        EXPECT_LT(scatter(true), 1.1 * scatter(false));
}

INSTANTIATE_TEST_SUITE_P(
    Gains, LineGain,
    ::testing::Values(
        // a steady gain, set by hand or by the automatic level: nothing to take out
        GainCase{0.0, false, 0.3, 0.0, false}, GainCase{0.0, true, 0.3, 0.0, false},
        // a gain that wobbles by 2 % from line to line: taken out
        GainCase{0.02, false, 1.0, 0.8, true}, GainCase{0.02, true, 1.0, 0.8, true}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace sorae
