// Noisy pixels' temperatures: their mean over the noise must be the scene's
// temperature, where the plain calibration's mean is colder.
#include <gtest/gtest.h>

#include <cmath>

#include "calibration/noisy_pixel_temperature.h"

namespace sorae {
namespace {

struct NoisyCase {
    const char* satellite;
    AvhrrChannel channel;
    double spaceCount, blackbodyCount;
    double noiseCounts;    // one word's standard deviation
    double coldK, warmK;   // the scenes checked
    double plainBiasK;     // the plain calibration's mean is at least this much too cold somewhere
    double toleranceK;     // the corrected mean's largest error
};

// E over Gaussian noise of f(count + n), by the trapezoid rule over +-5
// sigma; where f has no value, the mean of the rest (as an area's mean
// leaves such pixels out).
template <typename F>
double expectedOverNoise(F f, double count, double sigma) {
    constexpr int kSteps = 200;
    double sum = 0.0, weights = 0.0;
    for (int i = 0; i <= kSteps; ++i) {
        const double z = -5.0 + 10.0 * i / kSteps;
        const double w = std::exp(-0.5 * z * z) * (i == 0 || i == kSteps ? 0.5 : 1.0);
        const double v = f(count + z * sigma);
        if (!std::isfinite(v)) continue;
        sum += w * v;
        weights += w;
    }
    return sum / weights;
}

class NoisyPixels : public ::testing::TestWithParam<NoisyCase> {};

TEST_P(NoisyPixels, MeanOverTheNoiseIsTheScene) {
    const NoisyCase& p = GetParam();
    const SatelliteCoefficients* s = CoefficientsFor(p.satellite);
    const auto cal = ThermalCalibration::make(*s->thermal(p.channel), 289.0, p.spaceCount, p.blackbodyCount);
    ASSERT_TRUE(cal);
    const NoisyPixelTemperature pixel(*cal, p.noiseCounts);
    double worstPlain = 0.0, worstCorrected = 0.0;
    for (double k = p.coldK; k <= p.warmK; k += 5.0) {
        const double c = cal->count(k);
        const double corrected = expectedOverNoise([&](double x) { return pixel(x); }, c, p.noiseCounts);
        const double plain = expectedOverNoise([&](double x) { return cal->temperature(x); }, c, p.noiseCounts);
        EXPECT_TRUE(std::isfinite(pixel(c + 5.0 * p.noiseCounts))) << k << " K";
        worstPlain = std::min(worstPlain, plain - k);
        worstCorrected = std::max(worstCorrected, std::fabs(corrected - k));
    }
    EXPECT_LT(worstPlain, -p.plainBiasK);
    EXPECT_LT(worstCorrected, p.toleranceK);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, NoisyPixels,
    ::testing::Values(
        // channel 4, a word's noise at 20 dB and at 10 dB (8 and 25 words)
        // (the plain means measured 1.8 and 2.5 K too cold at worst, the
        // corrected ones 0.19 and 0.8 K off)
        NoisyCase{"NOAA 19", AvhrrChannel::Ch4, 989.5, 401.5, 32.0, 200.0, 320.0, 1.2, 0.25},
        NoisyCase{"NOAA 19", AvhrrChannel::Ch4, 989.5, 401.5, 100.0, 215.0, 320.0, 1.8, 1.0},
        // channel 3B, whose radiance vanishes quickly below 260 K (1.9, 0.52)
        NoisyCase{"NOAA 15", AvhrrChannel::Ch3B, 989.5, 801.5, 32.0, 260.0, 310.0, 1.2, 0.7}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(NoisyPixels, WithoutNoiseTheCalibrationIsUnchanged) {
    const SatelliteCoefficients* s = CoefficientsFor("NOAA 18");
    const auto cal = ThermalCalibration::make(*s->thermal(AvhrrChannel::Ch5), 290.0, 985.0, 395.0);
    ASSERT_TRUE(cal);
    const NoisyPixelTemperature pixel(*cal, 0.0);
    for (double c = 0.0; c <= 1023.0; c += 0.5) {
        const double want = cal->temperature(c);
        if (std::isnan(want))
            EXPECT_TRUE(std::isnan(pixel(c))) << c;
        else
            EXPECT_DOUBLE_EQ(pixel(c), want) << c;
    }
    // with noise, a pixel pushed past the count of no radiance has a value;
    // one far beyond any noise has none
    const NoisyPixelTemperature noisy(*cal, 30.0);
    EXPECT_TRUE(std::isfinite(noisy(1010.0)));
    EXPECT_TRUE(std::isnan(noisy(985.0 + 10 * 30.0)));
}

}  // namespace
}  // namespace sorae
