// sorae-aptgen's command line: options, refusals, and the program's files.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>

#include <filesystem>
#include <sstream>

#include "common/scratch_folder.h"
#include "testsignal/aptgen_command.h"
#include "testsignal/picture_files.h"
#include "testsignal/test_patterns.h"

using namespace sorae::testsignal;
namespace fs = std::filesystem;

TEST(AptGenArguments, OptionsReachTheGenerator) {
    const AptGenParse p = parseAptGenArguments({"--out", "x.wav", "--snr", "20", "--ppm=-50", "--lines", "10",
                                                "--start-fraction", "0.5", "--seed", "9", "--sensor-a", "6",
                                                "--sensor-b=0", "--float", "--rate", "11025",
                                                "--pattern-b", "bars", "--truth-prefix", "t",
                                                "--sensor-b-after", "900:6", "--dropout-every", "120",
                                                "--click-every=10"});
    ASSERT_TRUE(p.command.has_value()) << p.error;
    const AptGenCommand& c = *p.command;
    EXPECT_EQ(c.outPath, "x.wav");
    EXPECT_EQ(c.generator.snrDb, 20.0);
    EXPECT_EQ(c.generator.clockErrorPpm, -50.0);
    EXPECT_EQ(c.generator.lines, 10);
    EXPECT_EQ(c.generator.startFraction, 0.5);
    EXPECT_EQ(c.generator.seed, 9u);
    EXPECT_EQ(c.generator.sampleRate, 11025);
    EXPECT_EQ(c.generator.kind, SignalKind::Audio);
    EXPECT_EQ(c.sensorA, 6);
    EXPECT_EQ(c.sensorB, 0);
    EXPECT_EQ(c.format, SampleFormat::Float);
    EXPECT_EQ(c.patternB, "bars");
    EXPECT_EQ(c.truthPrefix, "t");
    EXPECT_EQ(c.sensorChange[1].fromLine, 900);
    EXPECT_EQ(c.sensorChange[1].sensor, 6);
    EXPECT_EQ(c.sensorChange[0].fromLine, -1);
    EXPECT_EQ(c.generator.dropoutEverySeconds, 120.0);
    EXPECT_EQ(c.generator.dropoutSeconds, 1.0);
    EXPECT_EQ(c.generator.clickEverySeconds, 10.0);

    const AptGenParse iq = parseAptGenArguments({"--iq", "--out", "y.flac"});
    ASSERT_TRUE(iq.command.has_value());
    EXPECT_EQ(iq.command->generator.kind, SignalKind::IQ);
    EXPECT_EQ(iq.command->generator.sampleRate, 96000);
    EXPECT_FALSE(iq.command->generator.snrDb.has_value());
}

TEST(AptGenArguments, BadCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--lines", "10"},
        {"--out", "x.wav", "--bogus"},
        {"--out", "x.wav", "--snr"},
        {"--out", "x.wav", "--snr", "12x"},
        {"--out", "x.wav", "--lines", "1.5"},
        {"--out", "x.wav", "--sensor-a", "7"},
        {"--out", "x.wav", "--sensor-b", "-1"},
        {"--out", "x.wav", "--start-fraction", "1"},
        {"--out", "x.wav", "--pattern-a", "zigzag"},
        {"--out", "x.wav", "--iq", "--rate", "48000"},
        {"--out", "x.wav", "--iq=1"},
        {"--out", "x.wav", "--ppm", "nan"},
        {"--out", "x.wav", "--sensor-b-after", "900"},
        {"--out", "x.wav", "--sensor-b-after", "900:7"},
        {"--out", "x.wav", "--dropout-every", "1", "--dropout-length", "2"},
        {"--out", "x.wav", "--click-every", "-3"},
    };
    for (const auto& args : bad) {
        const AptGenParse p = parseAptGenArguments(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_FALSE(p.command.has_value()) << joined;
        EXPECT_FALSE(p.error.empty()) << joined;
    }
}

namespace {

int runProgram(const std::string& arguments) {
    const std::string program = std::string(SORAE_BINARY_DIR) + "/tools/testsignal/sorae-aptgen";
    const int status = std::system((program + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(AptGenProgram, WritesTheRecordingAndTheTruePictures) {
    const sorae::testsupport::ScratchFolder scratch("sorae-aptgen-");  // gone also when an assertion fails
    const fs::path dir = scratch.path();
    const std::string out = (dir / "rec.wav").string(), truth = (dir / "truth").string();

    // A picture of our own for channel A.
    GreyPicture picture = makeGradientPattern(8);
    for (int x = 0; x < 909; ++x) picture.at(x, 3) = std::uint8_t(255 - picture.at(x, 3));
    const std::string png = (dir / "pic.png").string();
    ASSERT_EQ(saveGreyPng(picture, png), "");

    ASSERT_EQ(runProgram("--out " + out + " --lines 8 --start-fraction 0.2 --rate 22050 --picture-a " + png +
                         " --sensor-a 3 --truth-prefix " + truth),
              0);
    SF_INFO info{};
    SNDFILE* f = sf_open(out.c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    sf_close(f);
    EXPECT_EQ(info.samplerate, 22050);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.frames, 85995);  // 7.8 lines of 11025 frames

    const QImage a(QString::fromStdString(truth + "_A.png")), b(QString::fromStdString(truth + "_B.png"));
    ASSERT_EQ(a.width(), 1040);
    ASSERT_EQ(a.height(), 8);
    ASSERT_EQ(b.height(), 8);
    const QImage grey = a.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 909; ++x) ASSERT_EQ(grey.constScanLine(y)[86 + x], picture.at(x, y)) << x << "," << y;

    // Refusals: bad arguments exit with 2, unusable files with 1.
    EXPECT_EQ(runProgram("--out " + out + " --lines zero"), 2);
    EXPECT_EQ(runProgram("--out " + out + " --picture-b " + (dir / "missing.png").string()), 1);
    EXPECT_EQ(runProgram("--out " + (dir / "none/x.wav").string() + " --lines 1"), 1);
    EXPECT_EQ(runProgram("--help"), 0);
}
