// Telemetry frames, staircase recognition, sensor naming and calibration.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "apt/staircase_recognition.h"
#include "apt/telemetry.h"

namespace sorae {
namespace {

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
    if (n == 0) return black;
    if (n <= 8) return black + (white - black) * n / 8.0;
    if (n == 9) return black;
    return black + (white - black) * (0.45 - 0.01 * n);   // falling: no second staircase
}

// Sends lines with telemetry frames, line 0 starting a frame.
struct Transmitter {
    int sensorA = 2, sensorB = 4;
    double whiteA = 1500, blackA = 40, whiteB = 1500, blackB = 40;
    std::function<bool(long)> synchronised = [](long) { return true; };
    std::function<bool(long)> spoilt = [](long) { return false; };   // a click on the telemetry
    long line = 0;
    bool changed = false;   // update() reported a change

    void send(Telemetry& t, long count) {
        for (long end = line + count; line < end; ++line) {
            const int n = int(line / 8 % 16) + 1;
            double a = wedge(n, sensorA, whiteA, blackA), b = wedge(n, sensorB, whiteB, blackB);
            if (spoilt(line)) a = b = 30000.0;
            const auto l = lineWithTelemetry(a, b);
            changed = t.update(l.data(), synchronised(line)) || changed;
        }
    }
    // Up to the line on which the frame `frame` (0, 1, ...) is read.
    void sendThroughFrame(Telemetry& t, int frame) {
        send(t, (frame + 1) * 128L + WedgeFrameTracker::kPeakHalfWidth - line);
    }
};

TEST(StaircaseRecognition, ShapeRelativeToItsOwnSpanAtAnyLevel) {
    // wedge levels in steps above wedge 9 (an eighth of wedge 8 - wedge 9)
    struct Case { const char* what; std::vector<double> steps; int expected; };
    const std::vector<double> ladder = {1, 2, 3, 4, 5, 6, 7, 8, 0, 3.4, 3.5, 3.3, 3.4, 1.3, 2.9};
    auto with16 = [&](double w16) { auto s = ladder; s.push_back(w16); return s; };
    const Case cases[] = {
        {"CH 1", with16(1.0), 1},
        {"CH 2, 0.3 step above", with16(2.3), 2},
        {"CH 4, 0.35 step below", with16(3.65), 4},
        {"CH 3B", with16(6.1), 6},
        {"half way between 2 and 3", with16(2.5), kNoSensorWedge},
        {"zero modulation", with16(0.0), kNoSensorWedge},
        {"wedge 7 names nothing", with16(7.0), kNoSensorWedge},
        {"clipped top wedges", {1, 2, 3, 4, 5, 6, 6.9, 7.45, 0, 3, 3, 3, 3, 1, 3, 3}, 3},
        {"the brighter half clipped", {1, 2, 3, 3.6, 3.9, 4.0, 3.95, 4.05, 0, 3, 3, 3, 3, 1, 3, 2}, 2},
        {"clipped, yet falling", {1, 2, 3, 3.6, 3.9, 3.2, 3.95, 4.05, 0, 3, 3, 3, 3, 1, 3, 2}, kNoStaircase},
        {"flat", {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}, kNoStaircase},
        {"wedge 9 above wedge 8", {1, 2, 3, 4, 5, 6, 7, 8, 9, 3, 3, 3, 3, 1, 3, 2}, kNoStaircase},
        {"a missing rise", {1, 2, 2, 4, 5, 6, 7, 8, 0, 3, 3, 3, 3, 1, 3, 2}, kNoStaircase},
        {"a double rise", {1, 2, 4, 5, 6, 7, 7.5, 8, 0, 3, 3, 3, 3, 1, 3, 2}, kNoStaircase},
        {"misaligned by four wedges", {5, 6, 7, 8, 0, 3, 3, 3, 3, 1, 3, 2, 1, 2, 3, 4}, kNoStaircase},
    };
    // the same shapes very weak, very strong and on a raised floor
    for (const auto& [scale, floor] : {std::pair{0.05 * 190 / 8, 0.0}, std::pair{10 * 1530 / 8.0, 0.0},
                                      std::pair{1530 / 8.0, 900.0}}) {
        for (const Case& c : cases) {
            WedgeLevels w{};
            for (int k = 0; k < 16; ++k) w[k] = floor + scale * c.steps[k];
            EXPECT_EQ(recogniseStaircase(w), c.expected) << c.what << " at scale " << scale;
        }
    }
}

TEST(TelemetryConfirmation, TwoAgreeingFramesNameTheSensorAndCalibrate) {
    Telemetry t;
    Transmitter tx;
    tx.sensorA = 4;
    tx.sensorB = 2;
    tx.sendThroughFrame(t, 0);
    EXPECT_EQ(t.candidate(0), "CH 4 (IR)");
    EXPECT_EQ(t.candidate(1), "CH 2 (VIS)");
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.calibrationGain, 1.0);
    EXPECT_FALSE(tx.changed);

    // A's scale differs from B's: both confirm on one line, B's pair stays
    tx.whiteA = 1200;
    tx.blackA = 100;
    tx.send(t, 120);
    EXPECT_FALSE(tx.changed);
    tx.sendThroughFrame(t, 1);
    EXPECT_TRUE(tx.changed);
    EXPECT_EQ(t.statusText(false), "CH 4 (IR)");
    EXPECT_EQ(t.statusText(true), "CH 2 (VIS)");
    EXPECT_NEAR(1500 * t.calibrationGain - t.calibrationOffset, 1530.0, 1e-9);
    EXPECT_NEAR(40 * t.calibrationGain - t.calibrationOffset, 0.0, 1e-9);
}

TEST(TelemetryConfirmation, ADifferentSecondCandidateStartsTheWaitAgain) {
    Telemetry t;
    Transmitter tx;
    tx.sensorA = tx.sensorB = 4;
    tx.sendThroughFrame(t, 0);
    tx.sensorA = tx.sensorB = 5;
    tx.sendThroughFrame(t, 1);
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.previousCandidate(0), "CH 5 (IR)");
    tx.sendThroughFrame(t, 2);
    EXPECT_EQ(t.sensorNameA, "CH 5 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 5 (IR)");
}

TEST(TelemetryConfirmation, LostAndSpoiltLinesCostAtMostTheFrameTheyFallIn) {
    struct Case {
        const char* what;
        std::function<bool(long)> synchronised, spoilt;
        int namedAfterFrame;
    };
    auto always = [](long) { return true; };
    auto never = [](long) { return false; };
    const Case cases[] = {
        {"two lines of every wedge unsynchronised", [](long l) { return l % 8 != 2 && l % 8 != 5; }, never, 1},
        {"a click in one line of every wedge", always, [](long l) { return l % 8 == 3; }, 1},
        {"the whole of wedge 5 of frame 1 lost", [](long l) { return l < 128 + 32 || l >= 128 + 40; },
         never, 2},
        // wedges 10..15 are not needed
        {"the whole of wedge 12 of frame 0 lost", [](long l) { return l < 88 || l >= 96; }, never, 1},
        {"wedges 8 and 9 of frame 0 spoilt", always, [](long l) { return l >= 56 && l < 72 && l % 2; }, 2},
    };
    for (const Case& c : cases) {
        Telemetry t;
        Transmitter tx;
        tx.sensorA = 1;
        tx.sensorB = 6;
        tx.synchronised = c.synchronised;
        tx.spoilt = c.spoilt;
        tx.sendThroughFrame(t, c.namedAfterFrame - 1);
        EXPECT_EQ(t.sensorNameA, "Senser Type") << c.what;
        tx.sendThroughFrame(t, c.namedAfterFrame);
        EXPECT_EQ(t.sensorNameA, "CH 1 (VIS)") << c.what;
        EXPECT_EQ(t.sensorNameB, "CH 3B (mIR)") << c.what;
        EXPECT_NEAR(1500 * t.calibrationGain - t.calibrationOffset, 1530.0, 1e-6) << c.what;
        EXPECT_NEAR(40 * t.calibrationGain - t.calibrationOffset, 0.0, 1e-6) << c.what;
    }
}

TEST(TelemetryConfirmation, ASensorChangeDuringThePassRenamesTheChannel) {
    Telemetry t;
    Transmitter tx;
    tx.sendThroughFrame(t, 1);
    ASSERT_EQ(t.sensorNameB, "CH 4 (IR)");
    const double gain = t.calibrationGain, offset = t.calibrationOffset;
    tx.changed = false;
    tx.sensorB = 6;   // on the first line of frame 2
    tx.sendThroughFrame(t, 2);
    EXPECT_EQ(t.sensorNameB, "CH 4 (IR)");   // one frame is not enough
    EXPECT_FALSE(tx.changed);
    tx.sendThroughFrame(t, 3);
    EXPECT_TRUE(tx.changed);
    EXPECT_EQ(t.statusText(true), "CH 3B (mIR)");
    EXPECT_EQ(t.sensorNameA, "CH 2 (VIS)");
    EXPECT_DOUBLE_EQ(t.calibrationGain, gain);
    EXPECT_DOUBLE_EQ(t.calibrationOffset, offset);
}

TEST(TelemetryConfirmation, PassResetKeepsTheRememberedCandidate) {
    Telemetry t;
    Transmitter tx;
    tx.sensorA = 1;
    tx.sendThroughFrame(t, 0);
    tx.send(t, 256 - tx.line);
    tx.whiteA = tx.whiteB = 1000;   // from frame 2 on
    tx.sendThroughFrame(t, 1);
    ASSERT_EQ(t.sensorNameA, "CH 1 (VIS)");
    t.resetForNewPass();
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.sensorNameB, "Senser Type");
    EXPECT_EQ(t.calibrationGain, 1.0);
    EXPECT_EQ(t.calibrationOffset, 0.0);
    EXPECT_EQ(t.previousCandidate(0), "CH 1 (VIS)");
    // one more frame with the same sensor is enough now, and calibrates from itself
    tx.sendThroughFrame(t, 2);
    EXPECT_EQ(t.sensorNameA, "CH 1 (VIS)");
    EXPECT_EQ(t.sensorNameB, "CH 4 (IR)");
    EXPECT_NEAR(1000 * t.calibrationGain - t.calibrationOffset, 1530.0, 1e-9);
}

// Averaged over a recording: wedge 16 is placed on each frame's own
// staircase and averaged over the recent agreeing frames, so a reading
// that noise pushes past the per-frame match still names the sensor, and
// one that lies between two wedges names nothing and says why.
TEST(TelemetryAveraged, NamesFromTheMeanOfAgreeingFrames) {
    struct Case {
        const char* what;
        std::vector<double> offsets;   // wedge 16 of frame f: the sensor's wedge + offsets[f] steps
        int sensor;
        bool clipped;                  // wedges 5..8 compressed, as a loud recording gives
        const char* expected;
        const char* reason;            // part of undecidedReason(0)
    };
    const Case cases[] = {
        {"noise pushes single frames out", {0.45, -0.3, 0.42, -0.2}, 3, false, "CH 3A (mIR)", ""},
        {"between two wedges", {0.5, 0.5, 0.5, 0.5}, 2, false, "Senser Type", "2.50 steps"},
        {"clipped top", {0.05, -0.05, 0.0, 0.05}, 6, true, "CH 3B (mIR)", ""},
        {"sensor change", {0.0, 0.0, 2.0, 2.0}, 2, false, "CH 4 (IR)", ""},
        {"one frame", {0.0}, 1, false, "Senser Type", "no two frames"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Telemetry t;
        t.setAverageOverPass(true);
        const double black = 40.0, step = 180.0;
        auto level = [&](int wedge, int frame) {
            auto at = [&](double k) {
                if (c.clipped && k > 4.0) return black + step * (4.0 + 0.5 * (k - 4.0));
                return black + step * k;
            };
            if (wedge <= 8) return at(wedge);
            if (wedge == 16) return at(c.sensor + c.offsets[std::size_t(frame)]);
            if (wedge == 9) return black;
            return black + step * 2.5;
        };
        const long lines = long(c.offsets.size()) * 128 + WedgeFrameTracker::kPeakHalfWidth;
        for (long line = 0; line < lines; ++line) {
            const int frame = std::min(int(line / 128), int(c.offsets.size()) - 1);
            const double a = level(int(line / 8 % 16) + 1, frame);
            const auto l = lineWithTelemetry(a, a);
            t.update(l.data(), true);
        }
        EXPECT_EQ(t.sensorNameA, c.expected);
        EXPECT_NE(t.undecidedReason(0).find(c.reason), std::string::npos) << t.undecidedReason(0);
        if (t.sensorNameA != kSensorUnknown) {
            // wedge 9 -> 0 and wedge 8 -> 1530 from the frames' mean
            const double white = c.clipped ? black + step * 6.0 : black + step * 8.0;
            EXPECT_NEAR(white * t.calibrationGain - t.calibrationOffset, 1530.0, 1e-6);
            EXPECT_NEAR(black * t.calibrationGain - t.calibrationOffset, 0.0, 1e-6);
        }
    }
}

// A weak signal: single frames too noisy for a staircase, the frames
// folded over the pass name both sensors and calibrate close to the truth;
// where the fold shows no staircase either, the reason says so.
TEST(TelemetryFolded, NamesAndCalibratesWhatSingleFramesCannot) {
    struct Case {
        const char* what;
        double noise;       // per line, in steps of the staircase
        int frames;
        bool named;
    };
    const Case cases[] = {
        {"weak, a long pass", 0.9, 10, true},
        {"pure noise", 40.0, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Telemetry t;
        t.setAverageOverPass(true);
        t.resetForNewPass();
        const double black = 100.0, step = 150.0;
        std::uint32_t h = 12345u;
        auto noise = [&]() {   // near Gaussian (four uniforms), standard deviation 1
            double sum = 0.0;
            for (int i = 0; i < 4; ++i) {
                h = h * 1664525u + 1013904223u;
                sum += double(h >> 8) / double(1u << 24) - 0.5;
            }
            return sum * 1.7320508;
        };
        for (long line = 0; line < long(c.frames) * 128 + 20; ++line) {
            const int n = int(line / 8 % 16) + 1;
            const double a = wedge(n, 3, black + 8 * step, black) + c.noise * step * noise();
            const double b = wedge(n, 5, black + 8 * step, black) + c.noise * step * noise();
            const auto l = lineWithTelemetry(a, b);
            t.update(l.data(), true);
        }
        // single frames left a channel unnamed
        EXPECT_TRUE(t.sensorNameA == kSensorUnknown || t.sensorNameB == kSensorUnknown);
        t.finishPass();
        if (c.named) {
            EXPECT_EQ(t.sensorNameA, Telemetry::sensorName(3));
            EXPECT_EQ(t.sensorNameB, Telemetry::sensorName(5));
            // within 0.15 of a step (about 5 grey levels of 255 / 8)
            EXPECT_NEAR(black * t.calibrationGain - t.calibrationOffset, 0.0, 0.15 * 1530.0 / 8);
            EXPECT_NEAR((black + 8 * step) * t.calibrationGain - t.calibrationOffset, 1530.0, 0.15 * 1530.0 / 8);
        } else {
            EXPECT_EQ(t.sensorNameA, kSensorUnknown);
            EXPECT_NE(t.undecidedReason(0).find("folded over the pass"), std::string::npos) << t.undecidedReason(0);
        }
    }
}

// The straight line through all nine wedges: exact for an even staircase,
// refused for a clipped top, and a slight bow fitted over the whole range.
TEST(StaircaseFit, EndsFromAllWedges) {
    struct Case {
        const char* what;
        double bow;        // added to wedge k: bow * k * (8 - k) / 16 steps
        double clipAbove;  // wedges above this many steps stop rising
        bool fitted;
    };
    const Case cases[] = {
        {"even", 0.0, 99.0, true},
        {"slight bow", 0.2, 99.0, true},
        {"clipped top", 0.0, 5.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double base = 50.0, step = 20.0;
        WedgeLevels w{};
        w[8] = base;
        for (int k = 1; k <= 8; ++k)
            w[std::size_t(k - 1)] = base + step * (std::min(double(k), c.clipAbove) + c.bow * k * (8 - k) / 16.0);
        const auto ends = fittedStaircaseEnds(w);
        ASSERT_EQ(ends.has_value(), c.fitted);
        if (!ends) continue;
        if (c.bow == 0.0) {
            EXPECT_NEAR(ends->zero, base, 1e-9);
            EXPECT_NEAR(ends->white, base + 8 * step, 1e-9);
        } else {
            // the fit splits the bow: both ends lie above the true ones,
            // by less than the bow's top
            EXPECT_GT(ends->zero, base);
            EXPECT_LT(ends->zero, base + c.bow * step);
            EXPECT_GT(ends->white, base + 8 * step);
            EXPECT_LT(ends->white, base + 8 * step + c.bow * step);
        }
    }
}

}  // namespace
}  // namespace sorae
