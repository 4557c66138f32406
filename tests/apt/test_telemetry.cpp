// Telemetry sampling, staircase recognition, sensor naming and calibration.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "apt/telemetry.h"

namespace sorae {
namespace {

constexpr double kScale = 1536.0 / 100.0;   // raw level of one percent

// A 12000-sample line whose telemetry-frame middles hold levels a and b.
std::vector<double> lineWithTelemetry(double a, double b) {
    std::vector<double> line(12000, 0.0);
    for (int k = 5750; k < 5980; ++k) line[k] = a;
    for (int k = 11750; k < 11980; ++k) line[k] = b;
    // neighbours outside the sampled span must not count
    line[5749] = line[5980] = line[11749] = line[11980] = 1e6;
    return line;
}

// Raw level of wedge 1..16 on a scale where wedge 8 is `white`, wedge 9 `black`.
double wedge(int n, int sensor, double white, double black) {
    if (n == 16) n = sensor;
    if (n <= 8) return black + (white - black) * n / 8.0;
    if (n == 9) return black;
    return black + (white - black) * (0.45 - 0.01 * n);   // falling: no second staircase
}

void feedFrame(Telemetry& t, int sensorA, int sensorB, double whiteA = 1500, double blackA = 40,
               double whiteB = 1500, double blackB = 40) {
    for (int n = 1; n <= 16; ++n) {
        const auto line = lineWithTelemetry(wedge(n, sensorA, whiteA, blackA),
                                            wedge(n, sensorB, whiteB, blackB));
        t.takeSample(line.data(), true);
    }
}

std::array<double, 16> history(std::initializer_list<double> values) {
    std::array<double, 16> h{};
    int i = 0;
    for (double v : values) h[i++] = v;
    return h;
}

TEST(TelemetryIdentification, WedgeSixteenMatchesWithinThreePointsUpperBoundOpen) {
    Telemetry t;
    auto withNewest = [&](double newest) {
        auto h = history({10, 20, 30, 40, 50, 60, 70, 80, 5, 5, 5, 5, 5, 5, 5, 0});
        h[15] = newest;
        t.setHistory(0, h, h);
        const char* name = t.recogniseStaircase(0);
        return std::string(name ? name : "(none)");
    };
    EXPECT_EQ(withNewest(21), "CH 2 (VIS)");    // outside [7,13), inside [17,23)
    EXPECT_EQ(withNewest(7), "CH 1 (VIS)");     // lower bound included
    EXPECT_EQ(withNewest(13), "----");          // 10 + 3 excluded, below 20 - 3
    EXPECT_EQ(withNewest(23), "----");          // 20 + 3 excluded, below 30 - 3
    EXPECT_EQ(withNewest(27), "CH 3A (mIR)");
    EXPECT_EQ(withNewest(41.5), "CH 4 (IR)");
    EXPECT_EQ(withNewest(44.5), "----");
    EXPECT_EQ(withNewest(52.9), "CH 5 (IR)");
    EXPECT_EQ(withNewest(58), "CH 3B (mIR)");
    EXPECT_EQ(withNewest(70), "----");          // wedge 7 names nothing
}

TEST(TelemetryIdentification, NeedsEightRisingSamplesThenNoRise) {
    Telemetry t;
    auto recognised = [&](std::array<double, 16> h) {
        t.setHistory(1, h, h);
        return t.recogniseStaircase(1) != nullptr;
    };
    EXPECT_TRUE(recognised(history({10, 20, 30, 40, 50, 60, 70, 80, 80, 1, 1, 1, 1, 1, 1, 40})));
    EXPECT_FALSE(recognised(history({10, 20, 30, 40, 50, 60, 70, 80, 81, 1, 1, 1, 1, 1, 1, 40})));
    EXPECT_FALSE(recognised(history({10, 20, 30, 30, 50, 60, 70, 80, 0, 1, 1, 1, 1, 1, 1, 40})));
    EXPECT_FALSE(recognised(history({20, 30, 40, 50, 60, 70, 80, 0, 1, 1, 1, 1, 1, 1, 40, 10})));
}

TEST(TelemetryIdentification, AnUnsynchronisedSampleInTheHistoryBlocksIt) {
    // Sample 9 taken without sync is "not above" sample 8 and would pass the
    // rising test; it must not be read as a wedge.
    Telemetry t;
    auto h = history({10, 20, 30, 40, 50, 60, 70, 80, -1, 5, 5, 5, 5, 5, 5, 21});
    t.setHistory(0, h, h);
    EXPECT_EQ(t.recogniseStaircase(0), nullptr);
    h = history({10, 20, 30, 40, 50, 60, 70, 80, 0, 5, 5, 5, 5, 5, 5, -1});
    t.setHistory(0, h, h);
    EXPECT_EQ(t.recogniseStaircase(0), nullptr);
}

TEST(TelemetrySample, MeansTheFrameMiddleAndMarksUnsynchronisedSamples) {
    Telemetry t;
    const auto line = lineWithTelemetry(768, 153.6);
    t.takeSample(line.data(), true);
    EXPECT_DOUBLE_EQ(t.wedgePercent(0, 16), 50.0);
    EXPECT_DOUBLE_EQ(t.wedgeRaw(0, 16), 768.0);
    EXPECT_NEAR(t.wedgePercent(1, 16), 10.0, 1e-12);

    const auto other = lineWithTelemetry(1000, 1000);
    t.takeSample(other.data(), false);
    EXPECT_EQ(t.wedgePercent(0, 16), -1.0);
    EXPECT_DOUBLE_EQ(t.wedgePercent(0, 15), 50.0);
    EXPECT_DOUBLE_EQ(t.wedgeRaw(0, 16), 768.0);   // raw keeps the previous value
    EXPECT_DOUBLE_EQ(t.wedgeRaw(0, 15), 768.0);
}

TEST(TelemetrySample, TakenOnEveryEighthSynchronisedLine) {
    Telemetry t;
    const auto line = lineWithTelemetry(300, 300);
    for (int i = 0; i < 7; ++i) t.update(line.data(), true);
    EXPECT_EQ(t.phase(), 7);
    EXPECT_EQ(t.wedgeRaw(0, 16), 0.0);
    t.update(line.data(), true);   // the 8th: sampled
    EXPECT_EQ(t.phase(), 0);
    EXPECT_EQ(t.wedgeRaw(0, 16), 300.0);

    // a loss of sync starts the count again
    for (int i = 0; i < 5; ++i) t.update(line.data(), true);
    t.update(line.data(), false);
    EXPECT_EQ(t.phase(), 0);
    for (int i = 0; i < 7; ++i) t.update(line.data(), true);
    EXPECT_EQ(t.wedgeRaw(0, 15), 0.0);   // nothing taken since

    // due on the block that just lost sync: taken, as -1
    t.update(line.data(), false);
    EXPECT_EQ(t.phase(), 0);
    EXPECT_EQ(t.wedgePercent(0, 16), -1.0);
    EXPECT_EQ(t.wedgePercent(1, 16), -1.0);
}

TEST(TelemetryConfirmation, TwoEqualCandidatesNameTheSensorAndCalibrate) {
    Telemetry t;
    feedFrame(t, 4, 2);
    EXPECT_EQ(t.candidate(0), "CH 4 (IR)");
    EXPECT_EQ(t.candidate(1), "CH 2 (VIS)");
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.sensorNameB, "Senser Type");
    EXPECT_EQ(t.calibrationGain, 1.0);

    // A's scale differs from B's: B confirms last in the same sample, so its pair stays
    for (int n = 1; n <= 15; ++n) {
        const auto line = lineWithTelemetry(wedge(n, 4, 1200, 100), wedge(n, 2, 1500, 40));
        EXPECT_FALSE(t.takeSample(line.data(), true)) << n;
    }
    const auto last = lineWithTelemetry(wedge(16, 4, 1200, 100), wedge(16, 2, 1500, 40));
    EXPECT_TRUE(t.takeSample(last.data(), true));
    EXPECT_EQ(t.sensorNameA, "CH 4 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 2 (VIS)");
    EXPECT_EQ(t.statusText(false), "CH 4 (IR)");
    EXPECT_EQ(t.statusText(true), "CH 2 (VIS)");
    EXPECT_NEAR(1500 * t.calibrationGain - t.calibrationOffset, 1530.0, 1e-9);
    EXPECT_NEAR(40 * t.calibrationGain - t.calibrationOffset, 0.0, 1e-9);

    // confirmed names stay, whatever later frames say
    feedFrame(t, 1, 1);
    feedFrame(t, 1, 1);
    EXPECT_EQ(t.sensorNameA, "CH 4 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 2 (VIS)");
}

TEST(TelemetryConfirmation, ADifferentSecondCandidateStartsTheWaitAgain) {
    Telemetry t;
    feedFrame(t, 4, 4);
    feedFrame(t, 5, 5);
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.previousCandidate(0), "CH 5 (IR)");
    feedFrame(t, 5, 5);
    EXPECT_EQ(t.sensorNameA, "CH 5 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 5 (IR)");
}

TEST(TelemetryConfirmation, EqualWedgesEightAndNineLeaveTheCalibration) {
    Telemetry t;
    feedFrame(t, 3, 3, 900, 900, 900, 900);   // flat frame: not a staircase
    EXPECT_EQ(t.candidate(0), "");
    // staircase whose wedge 9 equals wedge 8 (not above it): recognised,
    // but gives no calibration
    auto frame = [&] {
        for (int n = 1; n <= 16; ++n) {
            double level = n == 9 ? wedge(8, 3, 1400, 0) : wedge(n, 3, 1400, 0);
            const auto line = lineWithTelemetry(level, level);
            t.takeSample(line.data(), true);
        }
    };
    frame();
    frame();
    EXPECT_EQ(t.sensorNameA, "CH 3A (mIR)");
    EXPECT_EQ(t.sensorNameB, "CH 3A (mIR)");
    EXPECT_EQ(t.calibrationGain, 1.0);
    EXPECT_EQ(t.calibrationOffset, 0.0);
}

TEST(TelemetryConfirmation, UnsynchronisedSampleHoldsOffIdentificationForSixteenSamples) {
    Telemetry t;
    feedFrame(t, 6, 6);   // candidate remembered
    ASSERT_EQ(t.previousCandidate(0), "CH 3B (mIR)");
    // the next frame's wedge 12 falls on a block that lost sync
    for (int n = 1; n <= 16; ++n) {
        const double level = wedge(n, 6, 1500, 40);
        const auto line = lineWithTelemetry(level, level);
        t.takeSample(line.data(), n != 12);
    }
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    // later frames still carry the -1 until it has left the 16 samples
    feedFrame(t, 6, 6);
    EXPECT_EQ(t.sensorNameA, "CH 3B (mIR)");
}

TEST(TelemetryConfirmation, PassResetKeepsHistoriesAndRememberedCandidate) {
    Telemetry t;
    feedFrame(t, 1, 2);
    feedFrame(t, 1, 2);
    ASSERT_EQ(t.sensorNameA, "CH 1 (VIS)");
    t.resetForNewPass();
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.sensorNameB, "Senser Type");
    EXPECT_EQ(t.calibrationGain, 1.0);
    EXPECT_EQ(t.calibrationOffset, 0.0);
    EXPECT_EQ(t.previousCandidate(0), "CH 1 (VIS)");
    // one more frame with the same sensor is enough now
    feedFrame(t, 1, 2);
    EXPECT_EQ(t.sensorNameA, "CH 1 (VIS)");
    EXPECT_EQ(t.sensorNameB, "CH 2 (VIS)");
}

}  // namespace
}  // namespace sorae
