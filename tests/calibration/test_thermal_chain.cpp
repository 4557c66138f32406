// The coefficient tables against the published values, and the radiometric
// chain against points worked by hand from the Guide's formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "calibration/avhrr_coefficients.h"
#include "calibration/thermal_calibration.h"

namespace sorae {
namespace {

struct PublishedChannel {
    const char* satellite;
    AvhrrChannel channel;
    double vc, a, b, ns, b0, b1, b2;
};

// NOAA KLM User's Guide, Appendix D: the thermal channel tables of NOAA-15
// (D.1-11, D.1-14), NOAA-18 (D.4) and NOAA-19 (D.6).
const PublishedChannel kPublished[] = {
    {"NOAA 15", AvhrrChannel::Ch3B, 2695.9743, 1.621256, 0.998015, 0, 0, 0, 0},
    {"NOAA 15", AvhrrChannel::Ch4, 925.4075, 0.337810, 0.998719, -4.50, 4.76, -0.0932, 0.0004524},
    {"NOAA 15", AvhrrChannel::Ch5, 839.8979, 0.304558, 0.999024, -3.61, 3.83, -0.0659, 0.0002811},
    {"NOAA 18", AvhrrChannel::Ch3B, 2659.7952, 1.698704, 0.996960, 0, 0, 0, 0},
    {"NOAA 18", AvhrrChannel::Ch4, 928.1460, 0.436645, 0.998607, -5.53, 5.82, -0.11069, 0.00052337},
    {"NOAA 18", AvhrrChannel::Ch5, 833.2532, 0.253179, 0.999057, -2.22, 2.67, -0.04360, 0.00017715},
    {"NOAA 19", AvhrrChannel::Ch3B, 2670.0, 1.67396, 0.997364, 0, 0, 0, 0},
    {"NOAA 19", AvhrrChannel::Ch4, 928.9, 0.53959, 0.998534, -5.49, 5.70, -0.11187, 0.00054668},
    {"NOAA 19", AvhrrChannel::Ch5, 831.9, 0.36064, 0.998913, -3.39, 3.58, -0.05991, 0.00024985},
};

class PublishedCoefficients : public ::testing::TestWithParam<PublishedChannel> {};

TEST_P(PublishedCoefficients, MatchTheGuide) {
    const PublishedChannel& p = GetParam();
    const SatelliteCoefficients* s = CoefficientsFor(p.satellite);
    ASSERT_NE(s, nullptr);
    const ThermalChannelCoefficients* c = s->thermal(p.channel);
    ASSERT_NE(c, nullptr);
    EXPECT_DOUBLE_EQ(c->centralWavenumber, p.vc);
    EXPECT_DOUBLE_EQ(c->bandA, p.a);
    EXPECT_DOUBLE_EQ(c->bandB, p.b);
    EXPECT_DOUBLE_EQ(c->spaceRadiance, p.ns);
    EXPECT_DOUBLE_EQ(c->b0, p.b0);
    EXPECT_DOUBLE_EQ(c->b1, p.b1);
    EXPECT_DOUBLE_EQ(c->b2, p.b2);
}

INSTANTIATE_TEST_SUITE_P(Guide, PublishedCoefficients, ::testing::ValuesIn(kPublished));

TEST(SatelliteNames, AnyUsualSpellingFindsTheTableAndOthersNone) {
    const SatelliteCoefficients* n19 = CoefficientsFor("NOAA 19");
    ASSERT_NE(n19, nullptr);
    for (const char* name : {"NOAA-19", "noaa19", " NOAA 19 "}) EXPECT_EQ(CoefficientsFor(name), n19) << name;
    for (const char* name : {"NOAA 17", "NOAA 1", "NOAA 190", "METOP-A", ""})
        EXPECT_EQ(CoefficientsFor(name), nullptr) << name;
    // the thermometers of NOAA-19 (Guide, D.6): d0 and d1 of each
    const double d0[] = {276.6067, 276.6119, 276.6311, 276.6268};
    const double d1[] = {0.051111, 0.051090, 0.051033, 0.051058};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(n19->thermometers[i].d[0], d0[i]);
        EXPECT_DOUBLE_EQ(n19->thermometers[i].d[1], d1[i]);
    }
    EXPECT_EQ(CoefficientsFor("NOAA 18")->visible(AvhrrChannel::Ch1), nullptr);
    EXPECT_NE(n19->visible(AvhrrChannel::Ch3A), nullptr);
}

struct HandPoint {
    const char* satellite;
    AvhrrChannel channel;
    std::array<double, 4> thermometerCounts;
    double spaceCount, blackbodyCount, sceneCount;
    double blackbodyKelvin, sceneKelvin;   // worked by hand
};

// Worked step by step from the Guide's section 7.1.2.4 formulas:
// T_PRT = d0 + d1 C + d2 C^2, T_BB their mean, T_BB* = A + B T_BB,
// N_BB = c1 vc^3 / (exp(c2 vc / T_BB*) - 1), N_LIN = Ns + (N_BB - Ns)
// (C_S - C_E) / (C_S - C_BB), N_E = N_LIN + b0 + b1 N_LIN + b2 N_LIN^2,
// T_E = (c2 vc / ln(1 + c1 vc^3 / N_E) - A) / B.
const HandPoint kHandPoints[] = {
    {"NOAA 19", AvhrrChannel::Ch4, {240, 244, 236, 248}, 990, 400, 400, 289.06513, 289.06999},
    {"NOAA 19", AvhrrChannel::Ch4, {240, 244, 236, 248}, 990, 400, 700, 289.06513, 249.76682},
    {"NOAA 19", AvhrrChannel::Ch4, {240, 244, 236, 248}, 990, 400, 950, 289.06513, 184.37783},
    {"NOAA 15", AvhrrChannel::Ch5, {250, 250, 250, 250}, 985, 410, 300, 289.45304, 302.31882},
    {"NOAA 15", AvhrrChannel::Ch5, {250, 250, 250, 250}, 985, 410, 900, 289.45304, 198.73300},
    {"NOAA 18", AvhrrChannel::Ch3B, {230, 235, 240, 245}, 990, 800, 500, 288.81893, 311.25949},
    {"NOAA 18", AvhrrChannel::Ch3B, {230, 235, 240, 245}, 990, 800, 880, 288.81893, 277.27860},
};

class HandComputed : public ::testing::TestWithParam<HandPoint> {};

TEST_P(HandComputed, ChainGivesTheWorkedTemperatureAndInvertsIt) {
    const HandPoint& p = GetParam();
    const SatelliteCoefficients& s = *CoefficientsFor(p.satellite);
    const double tbb = BlackbodyTemperature(s, p.thermometerCounts);
    EXPECT_NEAR(tbb, p.blackbodyKelvin, 1e-4);
    const auto cal = ThermalCalibration::make(*s.thermal(p.channel), tbb, p.spaceCount, p.blackbodyCount);
    ASSERT_TRUE(cal);
    EXPECT_NEAR(cal->temperature(p.sceneCount), p.sceneKelvin, 1e-4);
    EXPECT_NEAR(cal->count(p.sceneKelvin), p.sceneCount, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Guide, HandComputed, ::testing::ValuesIn(kHandPoints));

TEST(ThermalChain, RefusesViewsThatGiveNoLine) {
    const ThermalChannelCoefficients& ch4 = CoefficientsFor("NOAA 19")->ch4;
    EXPECT_FALSE(ThermalCalibration::make(ch4, 289.0, 500, 500));
    EXPECT_FALSE(ThermalCalibration::make(ch4, NAN, 990, 400));
    // colder than the channel can tell: no temperature rather than a wrong one
    const auto cal = ThermalCalibration::make(ch4, 289.0, 990, 400);
    EXPECT_TRUE(std::isnan(cal->temperature(5000)));
    EXPECT_TRUE(std::isnan(PlanckTemperature(928.9, 0.0)));
}

}  // namespace
}  // namespace sorae
