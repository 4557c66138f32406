// From the test transmitter through the demodulator into DecodeBlock: sync
// lock, stored lines against the transmitted pictures, sensor names and
// calibration, for clean and noisy audio, I/Q, clock errors and a start in
// the middle of a line.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "apt_chain.h"

namespace sorae {
namespace {

using testsignal::AptLayout;
using testsignal::GeneratorOptions;
using testsignal::SignalKind;

constexpr int kSensorA = 4;   // "CH 4 (IR)"
constexpr int kSensorB = 2;   // "CH 2 (VIS)"
// Line 0 of the recording is number 123, so a telemetry frame begins at
// recording line 5, just after the sync has locked: the first sample taken
// after the lock falls on wedge 1.
constexpr long kFirstLineNumber = 123;

testsignal::AptLineSource makeSource() {
    return testsignal::AptLineSource(test::cloudPicture(300, 0.0), test::cloudPicture(300, 1.0),
                                     kSensorA, kSensorB);
}

struct ChainCase {
    std::string name;
    SignalKind kind = SignalKind::Audio;
    std::optional<double> snrDb = std::nullopt;
    double ppm = 0.0;
    double startFraction = 0.1;
    double minCorrelation = 0.98;
};

void PrintTo(const ChainCase& c, std::ostream* os) { *os << c.name; }

class EndToEnd : public ::testing::TestWithParam<ChainCase> {};

// Raw level of the middle of a stored telemetry frame (channel A).
double storedTelemetry(const LineStore& store, int line) {
    double sum = 0.0;
    for (int w = 1000; w < 1030; ++w) sum += store.at(0, w, line);
    return sum / 30.0;
}

TEST_P(EndToEnd, LocksOnTheThirdBlockAndStoresTheTransmittedLines) {
    const ChainCase& c = GetParam();
    GeneratorOptions options;
    options.kind = c.kind;
    options.sampleRate = c.kind == SignalKind::IQ ? 96000 : 48000;
    options.snrDb = c.snrDb;
    options.clockErrorPpm = c.ppm;
    options.startFraction = c.startFraction;
    options.lines = 300;
    options.firstLineNumber = kFirstLineNumber;
    options.seed = 11;
    ASSERT_EQ(testsignal::validateGeneratorOptions(options), "");
    const auto source = makeSource();
    testsignal::AptSignalGenerator generator(source, options);

    test::ChainRun chain;
    chain.run(generator);
    ASSERT_GE(chain.results.size(), 290u);

    // sync: confirmed on the third block and never lost
    EXPECT_EQ(chain.firstLockedBlock(), 2);
    EXPECT_EQ(chain.unlockedBlocksFrom(2), 0);

    // lines: one alignment for the whole pass, every line like its source
    const LineStore& store = *chain.store;
    const auto a = test::findAlignment(store, source, kFirstLineNumber, 40);
    int poor = 0, compared = 0;
    double worst = 1.0;
    for (int line = 4; line < store.lineCount - 1; ++line)
        for (int channel = 0; channel < 2; ++channel) {
            const auto corr = test::halfCorrelation(store, source, kFirstLineNumber, line, channel, a);
            if (!corr) continue;   // a flat row of the picture
            ++compared;
            worst = std::min(worst, *corr);
            poor += *corr <= c.minCorrelation;
        }
    EXPECT_GT(compared, 400);
    EXPECT_EQ(poor, 0) << "worst " << worst << " at shift " << a.lineShift << "/" << a.wordShift;

    // sensors: both named within two telemetry frames of the lock
    const Telemetry& t = chain.decoder->telemetry();
    EXPECT_EQ(t.sensorNameA, "CH 4 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 2 (VIS)");
    ASSERT_FALSE(chain.lineCountAtNaming.empty());
    EXPECT_LE(chain.lineCountAtNaming.back(), 2 + 2 * AptLayout::kLinesPerFrame + 8);

    // calibration: wedge 8 reads 1530 and wedge 9 reads 0, within 2 % of 1530
    int checked8 = 0, checked9 = 0;
    for (int line = 10; line < store.lineCount - 1; ++line) {
        const long number = kFirstLineNumber + line + a.lineShift;
        const long inWedge = number % AptLayout::kLinesPerWedge;
        if (inWedge < 2 || inWedge > 5) continue;   // away from wedge edges
        const double level = storedTelemetry(store, line) * t.calibrationGain - t.calibrationOffset;
        if (testsignal::wedgeOfLine(number) == 8) {
            EXPECT_NEAR(level, 1530.0, 30.6) << line;
            ++checked8;
        } else if (testsignal::wedgeOfLine(number) == 9) {
            EXPECT_NEAR(level, 0.0, 30.6) << line;
            ++checked9;
        }
    }
    EXPECT_GT(checked8, 0);
    EXPECT_GT(checked9, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, EndToEnd,
    ::testing::Values(ChainCase{"Clean48k"},
                      ChainCase{"Noise20dB", SignalKind::Audio, 20.0, 0.0, 0.1, 0.9},
                      ChainCase{"ClockFast50ppm", SignalKind::Audio, std::nullopt, 50.0},
                      ChainCase{"ClockSlow50ppm", SignalKind::Audio, std::nullopt, -50.0},
                      ChainCase{"StartMidLine", SignalKind::Audio, std::nullopt, 0.0, 0.57},
                      ChainCase{"Quadrature96k", SignalKind::IQ}),
    [](const auto& info) { return info.param.name; });

TEST(EndToEndLong, StaysLockedThroughFifteenMinutes) {
    GeneratorOptions options;
    options.snrDb = 25.0;
    options.clockErrorPpm = 20.0;
    options.startFraction = 0.8;
    options.lines = 1800;
    options.seed = 5;
    testsignal::AptSignalGenerator generator(makeSource(), options);
    test::ChainRun chain;
    chain.run(generator);
    ASSERT_GE(chain.results.size(), 1799u);
    EXPECT_EQ(chain.firstLockedBlock(), 2);
    EXPECT_EQ(chain.unlockedBlocksFrom(2), 0);
    EXPECT_EQ(chain.store->firstSyncLine, 2);
    EXPECT_EQ(chain.store->lastSyncLine, int(chain.results.size()) - 3);
}

}  // namespace
}  // namespace sorae
