// `sorae-apt decode` end to end: generated recordings through the real
// program, the saved JPEG files compared with the pictures they were made from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/jpeg_file.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"
#include "common/program_run.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::testsignal;

using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;

namespace {

// A picture that changes smoothly both along and across the lines, so a
// wrong line or column alignment shows in the correlation.
GreyPicture smoothPicture(int height, double phase) {
    GreyPicture p(AptLayout::kImageWords, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.at(x, y) = std::uint8_t(128 + 90 * std::sin(x / 70.0 + phase) * std::cos(y / 45.0) +
                                      30 * std::sin(y / 23.0));
    return p;
}

class DecodeCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("sorae-decode-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // A shorter minimum than the default keeps the recordings small.
        std::ofstream(dir_ / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string makeRecording(const std::string& name, SignalKind kind, int rate, long lines,
                              std::optional<double> snrDb) {
        GeneratorOptions options;
        options.kind = kind;
        options.sampleRate = rate;
        options.lines = lines;
        options.snrDb = snrDb;
        options.startFraction = 0.3;
        options.firstLineNumber = 40;  // start inside a telemetry frame
        source_.emplace(smoothPicture(600, 0.0), smoothPicture(600, 1.5), 2, 4);
        AptSignalGenerator generator(*source_, options);
        const std::string path = (dir_ / name).string();
        const RecordingResult written = writeRecording(path, generator, SampleFormat::Int16);
        EXPECT_TRUE(written.ok) << written.error;
        return path;
    }

    // Best correlation of the image part of a saved picture with the source,
    // over small constant line and column offsets of the chain.
    double bestCorrelation(const PictureBuffer& picture, int channel, bool turned) {
        double best = -1.0;
        const int rows = picture.height;
        for (int lineShift = 30; lineShift <= 50; ++lineShift) {
            for (int columnShift = -6; columnShift <= 6; ++columnShift) {
                double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
                long n = 0;
                for (int r = 80; r < rows; r += 2) {  // below the title
                    const int storeRow = turned ? rows - 1 - r : r;
                    const auto truth = source_->half(storeRow + lineShift, channel);
                    for (int w = AptLayout::kImageStart + 10; w < AptLayout::kTelemetryStart - 10;
                         w += 3) {
                        const int x = turned ? 1039 - (w + columnShift) : w + columnShift;
                        const double a = picture.row(r)[3 * x];
                        const double b = truth[w];
                        sx += a; sy += b; sxx += a * a; syy += b * b; sxy += a * b;
                        ++n;
                    }
                }
                if (n == 0) continue;
                const double cov = sxy - sx * sy / n;
                const double var = (sxx - sx * sx / n) * (syy - sy * sy / n);
                if (var > 0) best = std::max(best, cov / std::sqrt(var));
            }
        }
        return best;
    }

    fs::path dir_;
    std::optional<AptLineSource> source_;
};

}  // namespace

TEST_F(DecodeCommandTest, RecordingsOfEveryKindBecomeTheSourcePictures) {
    struct Case {
        const char* name;
        SignalKind kind;
        int rate;
        const char* options;
        bool turned;
    };
    const Case cases[] = {
        {"audio48k.wav", SignalKind::Audio, 48000, "--direction 'N>S'", false},
        {"audio11k.flac", SignalKind::Audio, 11025, "--direction 'S>N'", true},
        {"iq96k.wav", SignalKind::IQ, 96000, "--iq --direction 'N>S'", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string recording = makeRecording(c.name, c.kind, c.rate, 420, 30.0);
        const fs::path out = dir_ / (std::string("out-") + c.name);
        const ProgramRun run = runProgram("decode '" + recording + "' --data-dir '" + dir_.string() +
                                   "' --out '" + out.string() + "' --satellite NOAA-18" +
                                   " --time 202501151023 --max-elevation 45.5 " + c.options);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("sensor A: CH 2"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("sensor B: CH 4"), std::string::npos) << run.output;
        for (int channel = 0; channel < 2; ++channel) {
            const fs::path file = out / (channel == 0 ? "20250115102318A.jpg" : "20250115102318B.jpg");
            ASSERT_TRUE(fs::exists(file)) << run.output;
            const JpegReadResult jpeg = LoadJpegPicture(file.string());
            ASSERT_TRUE(jpeg.ok) << jpeg.error;
            EXPECT_EQ(jpeg.components, 1);
            EXPECT_EQ(jpeg.picture.width, 1040);
            EXPECT_GT(jpeg.picture.height, 250);
            EXPECT_GT(bestCorrelation(jpeg.picture, channel, c.turned), 0.95) << "channel " << channel;
        }
    }
}

TEST_F(DecodeCommandTest, WithoutSatelliteItIsAManualReceptionWithoutTitle) {
    const std::string recording = makeRecording("manual.wav", SignalKind::Audio, 48000, 200, 30.0);
    const ProgramRun run = runProgram("decode '" + recording + "' --data-dir '" + dir_.string() +
                               "' --time 202612081730");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(fs::exists(dir_ / "pics" / "202612081730MNA.jpg")) << run.output;
    EXPECT_TRUE(fs::exists(dir_ / "pics" / "202612081730MNB.jpg")) << run.output;
    EXPECT_EQ(run.output.find("(titled)"), std::string::npos);
}

TEST_F(DecodeCommandTest, BadInputEndsWithAClearMessageAndNoPicture) {
    ProgramRun run = runProgram("decode '" + (dir_ / "missing.wav").string() + "' --data-dir '" +
                         dir_.string() + "'");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("missing.wav"), std::string::npos) << run.output;

    std::ofstream(dir_ / "garbage.wav") << "RIFF\x10\0\0\0WAVEfmt garbage garbage";
    run = runProgram("decode '" + (dir_ / "garbage.wav").string() + "' --data-dir '" +
                     dir_.string() + "'");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("garbage.wav"), std::string::npos) << run.output;

    // Noise alone never synchronises: no picture.
    GeneratorOptions options;
    options.lines = 60;
    options.snrDb = -30.0;
    AptSignalGenerator noise(AptLineSource(GreyPicture(909, 10, 128), GreyPicture(909, 10, 128), 1, 1),
                             options);
    ASSERT_TRUE(writeRecording((dir_ / "noise.wav").string(), noise, SampleFormat::Int16).ok);
    run = runProgram("decode '" + (dir_ / "noise.wav").string() + "' --data-dir '" +
                     dir_.string() + "'");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("no line was synchronised"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(dir_ / "pics") && !fs::is_empty(dir_ / "pics"));

    run = runProgram("decode --direction 'W>E' x.wav");
    EXPECT_EQ(run.status, 2);
    run = runProgram("decode --help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("--direction"), std::string::npos);
}
