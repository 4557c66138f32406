// The time of every decoded line, from the sample position it was cut at:
// generated recordings (resampled from other rates, with samples lost in
// the middle, as I/Q, from a recorder whose clock ran off) decoded through
// the whole chain, each line's time against when the generator began that
// line. Sound lost from the recording is found and added to the lines
// after it: all of it where the telemetry frames on both sides tell the
// whole lines lost, else the part of a half-second that the sync moved.
#include <gtest/gtest.h>


#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "capture/auto_level.h"
#include "common/recording_after_noise.h"
#include "common/scratch_folder.h"
#include "common/wav16.h"
#include "recording/recording_decoder.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"

namespace sorae {
namespace {

using namespace testsignal;

constexpr int kRampRows = 64;   // picture A: row r is grey 4r, so every 64th line drops to black

struct LineTimeCase {
    const char* what;
    SignalKind kind;
    int rate;
    double cutAtSeconds;    // 0: nothing cut out
    double cutSeconds;
    double clockPpm = 0.0;  // the recorder's clock ran this far fast
    bool framesTell = true; // a telemetry frame edge or minute marker lies on both sides of the cut
    long lines = 320;
};

// The generated recording at `rate`, with cutSeconds of it removed at
// cutAtSeconds (a recorder that lost samples), written as a 16-bit WAV.
std::string writeRecording(const std::string& path, const LineTimeCase& c, double startFraction) {
    GreyPicture a(909, kRampRows);
    for (int r = 0; r < kRampRows; ++r) a.fillRect(0, r, 909, 1, std::uint8_t(4 * r));
    GeneratorOptions o;
    o.kind = c.kind;
    o.sampleRate = c.rate;
    o.startFraction = startFraction;
    o.lines = c.lines;
    o.clockErrorPpm = c.clockPpm;
    AptSignalGenerator generator(AptLineSource(a, GreyPicture(909, 1, 128), 2, 4), o);
    const int channels = generator.channels();
    std::vector<std::int16_t> samples(std::size_t(generator.totalFrames()) * channels);
    generator.generateInt16(samples);
    if (c.cutSeconds > 0) {
        const auto from = std::size_t(std::llround(c.cutAtSeconds * c.rate)) * channels;
        const auto length = std::size_t(std::llround(c.cutSeconds * c.rate)) * channels;
        samples.erase(samples.begin() + long(from), samples.begin() + long(from + length));
    }
    EXPECT_TRUE(testsupport::WriteWav16(path, c.rate, channels, samples));
    return path;
}

double meanOfPictureA(const LineStore& store, int line) {
    double sum = 0;
    for (int w = AptLayout::kImageStart; w < AptLayout::kTelemetryStart; ++w) sum += store.at(0, w, line);
    return sum / (AptLayout::kTelemetryStart - AptLayout::kImageStart);
}

class LineTimes : public testing::TestWithParam<LineTimeCase> {};

TEST_P(LineTimes, FollowTheSamplePositionOfEachLinesSync) {
    const LineTimeCase& c = GetParam();
    constexpr double kStartFraction = 0.3;   // the recording begins 0.15 s into line 0
    testsupport::ScratchFolder scratch;
    const std::string path = writeRecording(scratch.file("pass.wav"), c, kStartFraction);

    auto store = std::make_unique<LineStore>();
    RecordingDecoder decoder(*store);
    RecordingDecodeOptions options;
    options.path = path;
    options.quadrature = c.kind == SignalKind::IQ;
    if (options.quadrature) options.iqCarrierHz = -24000.0;
    // The progress only counts on, however often the recording is read.
    std::vector<long> progress;
    options.progress = [&progress](long done, long) { progress.push_back(done); };
    const RecordingDecodeResult r = decoder.run(options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    ASSERT_NE(r.firstSyncLine, kNoSyncLine);
    // A clock far off is measured and the recording decoded again at its
    // true rate; a cut, a resampled or a true clock leaves it as it is.
    const bool farOff = std::fabs(c.clockPpm) >= 100.0;
    EXPECT_EQ(r.reclocked, farOff);
    if (farOff) {
        ASSERT_TRUE(r.clockRatio.has_value());
        EXPECT_NEAR((*r.clockRatio - 1.0) * 1e6, c.clockPpm, 15.0);
    }
    EXPECT_LE(r.firstSyncLine, 5);

    // The cut is counted in the recording's samples, which a clock running
    // off makes longer or shorter than seconds.
    const double secondsPerRecordedSecond = 1.0 / (1.0 + c.clockPpm * 1e-6);
    const double cutAt = c.cutAtSeconds * secondsPerRecordedSecond;
    const double lostTruly = c.cutSeconds * secondsPerRecordedSecond;
    ASSERT_EQ(r.gaps.size(), c.cutSeconds > 0 ? 1u : 0u);
    if (!r.gaps.empty()) {
        const RecordingGap& g = r.gaps[0];
        EXPECT_NEAR(g.line, 2.0 * cutAt, 4.0);
        EXPECT_EQ(g.whole, c.framesTell);
        const double rest = lostTruly - g.lostSeconds;
        if (g.whole) EXPECT_NEAR(rest, 0.0, 2e-4);
        else EXPECT_NEAR(rest, 0.5 * std::round(2.0 * rest), 2e-4) << "lost " << g.lostSeconds;
    }

    int timed = 0;
    double worst = 0;
    for (int i = 0; i < store->lineCount; ++i) {
        const double t = store->lineSeconds(i);
        if (i < r.firstSyncLine) {
            EXPECT_TRUE(std::isnan(t)) << "line " << i << " was cut before any sync";
            continue;
        }
        ASSERT_TRUE(std::isfinite(t)) << "line " << i;
        // Where the line began before samples were cut out, in the
        // generator's time; lines that straddle the cut are left aside.
        // Until the sync is confirmed anew, lines after the cut are cut at
        // the old offset; they are left aside too.
        // The cut is counted in the recording's samples, which a clock
        // running off makes longer or shorter than seconds.
        // Lines after it are timed with the loss found added; where only a
        // part of it was found, the rest must be whole half-seconds.
        double generatorTime = t;
        if (c.cutSeconds > 0 && t + 0.5 > cutAt - 0.01) {
            if (t < cutAt + 2.0 + (r.gaps.empty() ? 0.0 : r.gaps[0].lostSeconds)) continue;
            generatorTime += lostTruly - (r.gaps.empty() ? 0.0 : r.gaps[0].lostSeconds);
        }
        const long lineNumber = std::lround(2.0 * generatorTime + kStartFraction);
        const double truth = (double(lineNumber) - kStartFraction) / 2.0;
        worst = std::max(worst, std::fabs(generatorTime - truth));
        ++timed;
        // The whole-line part: the line the time names is the one stored,
        // seen where the ramp of picture A falls back to black (once the
        // level is read from the spaces: the recording begins on a minute
        // marker's black lines, which the first level taken mistakes for
        // a quiet signal).
        if (i > r.firstSyncLine + AutoLevel::kFirstReadings &&
            meanOfPictureA(*store, i - 1) - meanOfPictureA(*store, i) > 500.0) {
            EXPECT_EQ(lineNumber % kRampRows, 0) << "line " << i << " at " << t << " s";
        }
    }
    EXPECT_GT(timed, 100);
    // Within a sample or two of the 24 kHz envelope (the line is cut at
    // whole samples, and resampling moves the sync by fractions of one);
    // a measured clock leaves a few ppm over the 75 s (read at the header's
    // rate, 1000 ppm would be 75 ms off at the end).
    const double tolerance = farOff ? 1e-3 : 2.5 / 24000.0;
    EXPECT_LT(worst, tolerance) << "worst " << worst * 24000.0 << " envelope samples";
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, LineTimes,
    testing::Values(LineTimeCase{"48 kHz", SignalKind::Audio, 48000, 0, 0},
                    LineTimeCase{"11025 Hz, 0.37 s lost", SignalKind::Audio, 11025, 70.2, 0.37},
                    // a dropped USB buffer
                    LineTimeCase{"48 kHz, 6 ms lost", SignalKind::Audio, 48000, 80.3, 0.006},
                    LineTimeCase{"44100 Hz, 21.1 s lost", SignalKind::Audio, 44100, 66.05, 21.1},
                    // beyond a telemetry frame: the minute markers tell the rest
                    LineTimeCase{"11025 Hz, 100.3 s lost", SignalKind::Audio, 11025, 80.2, 100.3, 0.0, true, 580},
                    LineTimeCase{"96 kHz I/Q, 0.8 s lost", SignalKind::IQ, 96000, 75.4, 0.8},
                    LineTimeCase{"96 kHz I/Q, clock 0.2 % slow", SignalKind::IQ, 96000, 0, 0, -2000.0},
                    LineTimeCase{"48 kHz, clock 0.1 % fast", SignalKind::Audio, 48000, 0, 0, 1000.0},
                    LineTimeCase{"22050 Hz, clock 0.3 % slow, 1.3 s lost", SignalKind::Audio, 22050, 72.1, 1.3,
                                 -3000.0},
                    // Before the first frame edge: only the part of a half-second is found.
                    LineTimeCase{"48 kHz, 1.7 s lost early", SignalKind::Audio, 48000, 20.0, 1.7, 0.0, false}),
    [](const testing::TestParamInfo<LineTimeCase>& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace sorae

namespace sorae {
namespace {

// A recording begun 19 minutes before the pass came up: the noise before
// it would fill the store (2400 lines) and cut the pass short. It is read
// past, the whole pass stored, and each line still timed from the
// recording's first sample.
TEST(LongRecording, NoiseBeforeThePassIsReadPastAndThePassKeepsItsTimes) {
    constexpr double kLeadSeconds = 1140.0;
    constexpr long kPassLines = 240;
    GeneratorOptions o;
    o.sampleRate = 11025;
    o.lines = kPassLines;
    AptSignalGenerator generator(AptLineSource(GreyPicture(909, 64, 100), GreyPicture(909, 64, 160), 2, 4), o);
    testsupport::ScratchFolder scratch;
    const std::string path = scratch.file("long.wav");
    ASSERT_TRUE(testsupport::WriteRecordingAfterNoise(path, generator, kLeadSeconds));

    auto store = std::make_unique<LineStore>();
    RecordingDecoder decoder(*store);
    RecordingDecodeOptions options;
    options.path = path;
    const RecordingDecodeResult r = decoder.run(options);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_FALSE(r.storeFull);
    EXPECT_NEAR(r.skippedBlocks * 0.5, kLeadSeconds - RecordingDecoder::kLeadLinesKept * 0.5, 5.0);
    ASSERT_NE(r.firstSyncLine, kNoSyncLine);
    // the whole pass, from within a few lines of its start
    EXPECT_LE(r.firstSyncLine, RecordingDecoder::kLeadLinesKept + 12);
    EXPECT_GE(r.lastSyncLine - r.firstSyncLine, kPassLines - 16);
    // line k of the pass began k half-seconds after the lead
    for (int line = r.firstSyncLine; line <= r.lastSyncLine; ++line) {
        const double sinceLead = store->lineSeconds(line) - kLeadSeconds;
        ASSERT_NEAR(sinceLead, 0.5 * std::round(2.0 * sinceLead), 2.5 / 24000.0) << line;
        ASSERT_GE(sinceLead, 0.0) << line;
        ASSERT_LE(sinceLead, 0.5 * kPassLines) << line;
    }
}

}  // namespace
}  // namespace sorae
