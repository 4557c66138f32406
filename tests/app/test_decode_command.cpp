// `sorae-apt decode` end to end: generated recordings through the real
// program, the saved JPEG files compared with the pictures they were made from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "imaging/jpeg_file.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"
#include "common/program_run.h"
#include "app/test_picture_support.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::testsignal;

using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;
using sorae::testsupport::smoothPicture;

namespace {

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

TEST_F(DecodeCommandTest, AFolderIsDecodedInParallelAndEndsWithATableOfEveryRecording) {
    const fs::path batch = dir_ / "batch";
    fs::create_directories(batch / "sub");
    makeRecording("batch/NOAA19-20190124-0930.wav", SignalKind::Audio, 48000, 420, 30.0);
    // Another pass of the same minute: both pairs are kept.
    makeRecording("batch/second 2019-01-24 09.30.40.wav", SignalKind::Audio, 48000, 420, 30.0);
    // A FLAC whose last third is garbage, as a crash or a full disk leaves it.
    const fs::path damaged = makeRecording("batch/damaged.flac", SignalKind::Audio, 48000, 300, 30.0);
    {
        std::fstream f(damaged, std::ios::in | std::ios::out | std::ios::binary);
        const auto size = fs::file_size(damaged);
        f.seekp(std::streamoff(size * 2 / 3));
        std::uint32_t x = 12345;
        for (auto i = size * 2 / 3; i < size; ++i) f.put(char((x = x * 1664525u + 1013904223u) >> 24));
    }
    std::ofstream(batch / "broken.wav") << "this is not a sound file";
    std::ofstream(batch / "empty.WAV");
    std::ofstream(batch / "notes.txt") << "not a recording";
    std::ofstream(batch / "sub" / "deep.wav") << "only with --recursive";

    const fs::path out = dir_ / "out";
    const std::string common = " --data-dir '" + dir_.string() + "' --out '" + out.string() + "'";
    const ProgramRun run = runProgram("decode '" + batch.string() + "' --jobs 2 --satellite NOAA-19" + common);
    EXPECT_EQ(run.status, 1) << run.output;

    // Whole lines only: the table, the messages, nothing cut into another.
    std::map<std::string, std::string> rows;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::string first = line.substr(0, line.find(' '));
        if (first == "NOAA19-20190124-0930.wav" || first == "second" || first == "damaged.flac" ||
            first == "broken.wav" || first == "empty.WAV")
            rows[first] = line;
        else
            EXPECT_TRUE(first == "file" || first == "sorae-apt" || first == "5" || first == "QStandardPaths:")
                << line;
    }
    ASSERT_EQ(rows.size(), 5u) << run.output;
    // Named from the time in the file name, 09:30 UT = 18:30 station time.
    EXPECT_NE(rows["NOAA19-20190124-0930.wav"].find("CH 2"), std::string::npos)
        << rows["NOAA19-20190124-0930.wav"];
    for (const char* name : {"20190124183019A", "20190124183019B", "20190124183019A-2", "20190124183019B-2"}) {
        EXPECT_TRUE(fs::exists(out / (std::string(name) + ".jpg"))) << name;
        EXPECT_NE((rows["NOAA19-20190124-0930.wav"] + rows["second"]).find(std::string(name) + ".jpg"),
                  std::string::npos)
            << name;
    }
    // The damaged FLAC keeps what was read before the damage, with a warning.
    EXPECT_NE(rows["damaged.flac"].find("A.jpg"), std::string::npos) << rows["damaged.flac"];
    EXPECT_NE(run.output.find("warning: "), std::string::npos);
    for (const char* failed : {"broken.wav", "empty.WAV"})
        EXPECT_NE(rows[failed].find(" none: "), std::string::npos) << rows[failed];
    EXPECT_NE(run.output.find("5 recordings: 3 decoded, 2 failed"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("deep.wav"), std::string::npos);
    EXPECT_EQ(run.output.find("notes.txt"), std::string::npos);

    // The subfolder only when asked; one --time cannot name several passes.
    fs::create_directories(dir_ / "nest" / "sub");
    fs::copy_file(batch / "sub" / "deep.wav", dir_ / "nest" / "sub" / "deep.wav");
    const std::string nest = "decode '" + (dir_ / "nest").string() + "'" + common;
    EXPECT_NE(runProgram(nest).output.find("no recordings found"), std::string::npos);
    EXPECT_NE(runProgram(nest + " --recursive").output.find("deep.wav"), std::string::npos);
    EXPECT_EQ(runProgram("decode '" + batch.string() + "' --time 202501151023" + common).status, 2);
}
