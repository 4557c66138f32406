// Calibration of whole passes: straight from the words a test source sends
// (no audio), with a corrupted frame and with a sensor switched mid-pass.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "calibration/pass_calibration.h"
#include "calibration/thermal_calibration.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/thermal_scene.h"

namespace sorae {
namespace {

using testsignal::AptLineSource;
using testsignal::GreyPicture;

// Stores the lines as the decoder would, on a level scale of its own
// (word 0 at 120, each word 5.5 higher), so nothing may assume word = level / 6.
void storeLines(const AptLineSource& source, int lines, LineStore& store) {
    for (int line = 0; line < lines; ++line)
        for (int ch = 0; ch < 2; ++ch) {
            const auto half = source.half(line, ch);
            for (int w = 0; w < kWordsPerChannel; ++w) store.at(ch, w, line) = 120.0 + 5.5 * half[w];
        }
    store.lineCount = lines;
    store.firstSyncLine = 0;
    store.lastSyncLine = lines;
}

struct Scene {
    std::vector<double> kelvin;
    GreyPicture words;
};

Scene thermalScene(int height, int sensor, double lowK, double highK) {
    Scene s;
    s.kelvin = testsignal::MakeThermalScene(height, lowK, highK);
    s.words = *testsignal::ThermalScenePicture(s.kelvin, 909, height, "NOAA 19", sensor,
                                               testsignal::DefaultThermalTelemetry(sensor), nullptr);
    return s;
}

// The blackbody temperature the default thermometer words stand for.
double defaultBlackbody() {
    std::array<double, 4> counts{};
    for (int i = 0; i < 4; ++i) counts[i] = CountOfWord(testsignal::DefaultThermalTelemetry(4).thermometerWords[i]);
    return BlackbodyTemperature(*CoefficientsFor("NOAA 19"), counts);
}

TEST(PassCalibration, ExactWordsGiveTheSceneWithinTheirRoundingAndACorruptFrameIsLeftOut) {
    constexpr int kLines = 900;
    const Scene scene = thermalScene(kLines, 4, 200.0, 320.0);
    AptLineSource source(GreyPicture(909, kLines, 90), scene.words, 2, 4);
    testsignal::ApplyThermalTelemetry(source, 4, testsignal::DefaultThermalTelemetry(4));
    auto store = std::make_unique<LineStore>();
    storeLines(source, kLines, *store);
    // frame 3 (lines 384..511) hit by interference: thermometers, back
    // scan and space views of both channels far off
    for (int line = 384 + 72; line < 384 + 120; ++line)
        for (int ch = 0; ch < 2; ++ch)
            for (int w = kSpaceFirstWord; w < kWordsPerChannel; ++w)
                if (w < kImageFirstWord || w >= kTelemetryFirstWord) store->at(ch, w, line) += 400.0;
    for (int line = 384; line < 512; ++line)
        for (int w = kSpaceFirstWord; w < kImageFirstWord; ++w) store->at(1, w, line) -= 600.0;

    const PassCalibration pass = CalibratePass({store.get(), 0, kLines, 0, "NOAA-19"});
    ASSERT_GE(pass.frames, 6);
    ASSERT_TRUE(pass.blackbodyKnown) << pass.reason;
    EXPECT_NEAR(pass.blackbodyKelvin, defaultBlackbody(), 1e-6);
    EXPECT_GT(pass.thermometerReadingsRejected, 0);
    const ChannelCalibration& b = pass.channel[1];
    ASSERT_TRUE(b.hasKelvin()) << b.reason;
    ASSERT_EQ(b.segments.size(), 1u);
    EXPECT_NEAR(b.segments[0].spaceCount, CountOfWord(247), 1e-6);
    EXPECT_NEAR(b.segments[0].blackbodyCount, CountOfWord(100), 1e-6);
    EXPECT_GT(b.segments[0].rejectedReadings, 0);
    // the words keep 8 of 10 bits: a count 4w .. 4w+3 is taken as 4w + 1.5,
    // so within the temperature of 2.5 counts either way
    const auto cal = ThermalCalibration::make(CoefficientsFor("NOAA 19")->ch4, defaultBlackbody(),
                                              CountOfWord(247), CountOfWord(100));
    double worst = 0.0;
    for (int row = 0; row < kLines; row += 7)
        for (int x = 0; x < 909; x += 5) {
            const double truth = scene.kelvin[std::size_t(row) * 909 + x];
            const double c = cal->count(truth);
            const double step = std::max(std::fabs(cal->temperature(c + 2.5) - truth),
                                         std::fabs(cal->temperature(c - 2.5) - truth));
            const double err = std::fabs(b.at(x, row) - truth);
            ASSERT_LE(err, step + 1e-3) << "row " << row << " column " << x;
            worst = std::max(worst, err);
        }
    EXPECT_GT(worst, 0.0);
    EXPECT_GE(b.minKelvin, 199.0);
    EXPECT_LE(b.maxKelvin, 320.5);
    EXPECT_GT(b.maxKelvin - b.minKelvin, 100.0);
    // channel A is channel 2, which NOAA 19 has pre-launch coefficients for
    EXPECT_TRUE(pass.channel[0].hasAlbedo());
    EXPECT_FALSE(pass.channel[0].hasKelvin());
}

TEST(PassCalibration, TurnedPictureKeepsEachValueWithItsPixel) {
    constexpr int kLines = 300;
    const Scene scene = thermalScene(kLines, 4, 220.0, 300.0);
    AptLineSource source(GreyPicture(909, kLines, 90), scene.words, 2, 4);
    testsignal::ApplyThermalTelemetry(source, 4, testsignal::DefaultThermalTelemetry(4));
    auto store = std::make_unique<LineStore>();
    storeLines(source, kLines, *store);
    const PassCalibration north = CalibratePass({store.get(), 10, 280, 0, "NOAA 19"});
    const PassCalibration south = CalibratePass({store.get(), 10, 280, 1, "NOAA 19"});
    ASSERT_TRUE(north.channel[1].hasKelvin());
    for (const auto& [x, row] : {std::pair{0, 0}, {908, 0}, {17, 279}, {500, 131}})
        EXPECT_EQ(north.channel[1].at(x, row), south.channel[1].at(908 - x, 279 - row));
    EXPECT_EQ(ImageAreaLeft(0) + 908, 994);
    EXPECT_EQ(ImageAreaLeft(1) + 908, 1039 - 86);
}

TEST(PassCalibration, SensorSwitchedMidPassIsCalibratedPerStretch) {
    // channel A sends 3A (visible) by day, then 3B from line 700
    constexpr int kLines = 1400, kSwitch = 700;
    const Scene scene = thermalScene(kLines, 6, 255.0, 310.0);
    GreyPicture a = scene.words;
    for (int y = 0; y < kSwitch; ++y)
        for (int x = 0; x < 909; ++x) a.at(x, y) = 60;   // an even visible scene
    AptLineSource source(a, GreyPicture(909, kLines, 120), 3, 4);
    source.changeSensor(0, kSwitch, 6);
    source.setSensorViews(3, 0, 10);   // 3A: dark back scan, dark space
    testsignal::ApplyThermalTelemetry(source, 6, testsignal::DefaultThermalTelemetry(6));
    auto store = std::make_unique<LineStore>();
    storeLines(source, kLines, *store);

    const PassCalibration pass = CalibratePass({store.get(), 0, kLines, 0, "NOAA 19"});
    const ChannelCalibration& ch = pass.channel[0];
    ASSERT_EQ(ch.segments.size(), 2u) << ch.reason;
    EXPECT_EQ(ch.segments[0].channel, AvhrrChannel::Ch3A);
    EXPECT_EQ(ch.segments[1].channel, AvhrrChannel::Ch3B);
    EXPECT_NEAR(ch.segments[1].firstLine, kSwitch, 1);
    EXPECT_EQ(ch.segments[0].lastLine + 1, ch.segments[1].firstLine);
    // the 3B stretch: its own views (not the 3A frames' dark ones)
    EXPECT_NEAR(ch.segments[1].spaceCount, CountOfWord(247), 1e-6);
    EXPECT_NEAR(ch.segments[1].blackbodyCount, CountOfWord(200), 1e-6);
    EXPECT_EQ(ch.rowQuantity[kSwitch - 3], CalibratedQuantity::AlbedoPercent);
    EXPECT_EQ(ch.rowQuantity[kSwitch + 3], CalibratedQuantity::Kelvin);
    // 3A albedo of word 60: 0.027174 C - 1.0881 with C = 241.5 (Guide D.6)
    EXPECT_NEAR(ch.at(400, 100), 0.027174 * 241.5 - 1.0881, 1e-4);
    double sum = 0.0;
    int n = 0;
    for (int row = kSwitch + 2; row < kLines; row += 9)
        for (int x = 0; x < 909; x += 7) {
            sum += std::fabs(ch.at(x, row) - scene.kelvin[std::size_t(row) * 909 + x]);
            ++n;
        }
    EXPECT_LT(sum / n, 0.5);
}

struct RefusedCase {
    const char* what;
    const char* satellite;
    int lines;
    const char* reasonPart;
};

class Refused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, NoValuesAndAClearReason) {
    const RefusedCase& c = GetParam();
    const Scene scene = thermalScene(1000, 4, 220.0, 300.0);
    AptLineSource source(GreyPicture(909, 1000, 90), scene.words, 2, 4);
    testsignal::ApplyThermalTelemetry(source, 4, testsignal::DefaultThermalTelemetry(4));
    auto store = std::make_unique<LineStore>();
    storeLines(source, 1000, *store);
    if (std::string(c.what) == "unreadable telemetry")
        for (int line = 0; line < 1000; ++line)
            for (int ch = 0; ch < 2; ++ch)
                for (int w = kTelemetryFirstWord; w < kWordsPerChannel; ++w) store->at(ch, w, line) = 500.0;
    const PassCalibration pass = CalibratePass({store.get(), 0, c.lines, 0, c.satellite});
    EXPECT_FALSE(pass.any()) << c.what;
    for (const ChannelCalibration& ch : pass.channel) {
        EXPECT_NE(ch.reason.find(c.reasonPart), std::string::npos) << c.what << ": " << ch.reason;
        for (int row = 0; row < c.lines; row += 50) EXPECT_TRUE(std::isnan(ch.at(300, row)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, Refused,
    ::testing::Values(RefusedCase{"unknown satellite", "NOAA 17", 1000, "NOAA 17"},
                      RefusedCase{"no satellite", "", 1000, "no satellite"},
                      RefusedCase{"too short for a frame", "NOAA 19", 120, "no telemetry frame"},
                      RefusedCase{"unreadable telemetry", "NOAA 19", 1000, "no telemetry frame"}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace sorae
