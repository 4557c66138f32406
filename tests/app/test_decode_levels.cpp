// `sorae-apt decode` over recordings far below and far above the design
// level: the automatic level must give the same, calibrated picture, and a
// recording too short for the telemetry must still give a stretched picture
// rather than a white or black one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/program_run.h"
#include "imaging/jpeg_file.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::testsignal;

using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;

namespace {

// Covers the whole grey range, smoothly, so that misplaced levels show.
GreyPicture rampPicture(int height, double phase) {
    GreyPicture p(AptLayout::kImageWords, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.at(x, y) = std::uint8_t(std::clamp(
                127.5 + 127.5 * std::sin(x / 90.0 + phase + y / 60.0), 0.0, 255.0));
    return p;
}

struct PictureCheck {
    double meanError = 1e9;    // mean |decoded - truth| in grey levels, at the best alignment
    double extremeShare = 1.0;  // share of pixels at 0 or 255
};

class DecodeLevelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sorae-levels-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
        source_.emplace(rampPicture(600, 0.0), rampPicture(600, 2.0), 2, 4);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string makeRecording(const std::string& name, double level, SampleFormat format,
                              long lines) {
        GeneratorOptions options;
        options.lines = lines;
        options.snrDb = 30.0;
        options.startFraction = 0.3;
        options.firstLineNumber = 40;
        options.whiteAmplitude = kWhiteAmplitude * level;
        AptSignalGenerator generator(*source_, options);
        const std::string path = (dir_ / name).string();
        const RecordingResult written = writeRecording(path, generator, format);
        EXPECT_TRUE(written.ok) << written.error;
        return path;
    }

    // The picture part of a decoded channel against the source, over the
    // small line and column offsets the chain may introduce.
    PictureCheck check(const PictureBuffer& picture, int channel) const {
        PictureCheck c;
        long extremes = 0, pixels = 0;
        for (int r = 0; r < picture.height; ++r)
            for (int w = AptLayout::kImageStart; w < AptLayout::kTelemetryStart; ++w) {
                const int v = picture.row(r)[3 * w];
                extremes += v == 0 || v == 255;
                ++pixels;
            }
        c.extremeShare = pixels ? double(extremes) / pixels : 1.0;
        for (int lineShift = 30; lineShift <= 50; ++lineShift)
            for (int columnShift = -4; columnShift <= 4; ++columnShift) {
                double sum = 0.0;
                long n = 0;
                for (int r = 2; r < picture.height - 2; r += 2) {
                    const auto truth = source_->half(r + lineShift, channel);
                    for (int w = AptLayout::kImageStart + 10; w < AptLayout::kTelemetryStart - 10;
                         w += 3) {
                        sum += std::abs(double(picture.row(r)[3 * (w + columnShift)]) - truth[w]);
                        ++n;
                    }
                }
                if (n > 0) c.meanError = std::min(c.meanError, sum / n);
            }
        return c;
    }

    fs::path dir_;
    std::optional<AptLineSource> source_;
};

}  // namespace

TEST_F(DecodeLevelsTest, AnyLevelGivesTheSamePictureAndNeverABlankOne) {
    struct Case {
        const char* name;
        double level;         // times the design level
        SampleFormat format;
        long lines;
        const char* options;
        const char* levelText;
        const char* mapping;  // how both channels got their grey levels
        double maxError;      // grey levels
    };
    // 8x puts the noise peaks beyond full scale (clipped in 16 bits). 20x in
    // float lies beyond full scale for all but the darkest words; the reader
    // brings such a file down to fit before it becomes 16-bit samples.
    const Case cases[] = {
        {"quiet.wav", 0.02, SampleFormat::Int16, 420, "", "level: automatic", "calibration", 2.5},
        {"low.wav", 0.05, SampleFormat::Int16, 420, "", "level: automatic", "calibration", 2.5},
        {"design.wav", 1.0, SampleFormat::Int16, 420, "", "level: automatic", "calibration", 2.5},
        {"by-hand.wav", 1.0, SampleFormat::Int16, 420, "--gain 0", "level: fixed gain 0 dB",
         "calibration", 2.5},
        {"loud.wav", 8.0, SampleFormat::Int16, 420, "", "level: automatic", "calibration", 2.5},
        {"overload.wav", 20.0, SampleFormat::Float, 420, "", "level: automatic", "calibration", 2.5},
        {"short.wav", 8.0, SampleFormat::Int16, 120, "--min-lines 50", "level: automatic",
         "stretch", 2.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string recording = makeRecording(c.name, c.level, c.format, c.lines);
        const fs::path out = dir_ / (std::string("out-") + c.name);
        const ProgramRun run = runProgram("decode '" + recording + "' --data-dir '" +
                                          dir_.string() + "' --out '" + out.string() +
                                          "' --time 202501151023 " + c.options);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find(c.levelText), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(std::string("grey levels: A ") + c.mapping + ", B " + c.mapping),
                  std::string::npos)
            << run.output;
        for (int channel = 0; channel < 2; ++channel) {
            const fs::path file = out / (channel == 0 ? "202501151023MNA.jpg" : "202501151023MNB.jpg");
            const JpegReadResult jpeg = LoadJpegPicture(file.string());
            ASSERT_TRUE(jpeg.ok) << jpeg.error << "\n" << run.output;
            const PictureCheck got = check(jpeg.picture, channel);
            std::printf("%s %c: mean error %.2f, extremes %.3f\n", c.name, 'A' + channel,
                        got.meanError, got.extremeShare);
            EXPECT_LE(got.meanError, c.maxError) << "channel " << channel;
            EXPECT_LT(got.extremeShare, 0.2) << "channel " << channel;
        }
    }
}
