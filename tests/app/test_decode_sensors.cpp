// `sorae-apt decode` names the sensors of generated passes under noise,
// weak and clipping levels, drop-outs, clicks, a slow clock and a sensor
// switched during the pass.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "common/program_run.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"
#include "testsignal/test_patterns.h"

namespace fs = std::filesystem;
using namespace sorae::testsignal;
using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;

namespace {

struct SensorCase {
    const char* name;
    long lines;
    double snrDb;
    double level = 1.0;   // of the input, as a volume control would set it
    int rate = 48000;
    double ppm = 0.0;
    double dropoutEvery = 0.0, clickEvery = 0.0;
    int sensorA = 2, sensorB = 4;
    long sensorBChangeLine = -1;   // from this line on channel B sends sensor 6
    const char* expectedA = "CH 2 (VIS)";
    const char* expectedB = "CH 4 (IR)";
};

std::string sensorLine(const std::string& output, const std::string& label) {
    const auto at = output.find(label);
    if (at == std::string::npos) return "(missing)";
    const auto start = at + label.size();
    return output.substr(start, output.find('\n', start) - start);
}

TEST(DecodeSensors, NamesHoldUnderNoiseLevelAndInterruptions) {
    const SensorCase cases[] = {
        {"5 dB SNR", 400, 5.0},
        {"5 dB SNR, other sensors", 400, 5.0, 1.0, 48000, 0.0, 0.0, 0.0, 3, 5, -1, "CH 3A (mIR)", "CH 5 (IR)"},
        {"0.05x level", 400, 15.0, 0.05, 48000, 0.0, 0.0, 0.0, 1, 2, -1, "CH 1 (VIS)", "CH 2 (VIS)"},
        {"10x level, clipping", 400, 15.0, 10.0, 48000, 0.0, 0.0, 0.0, 6, 4, -1, "CH 3B (mIR)", "CH 4 (IR)"},
        {"20x level, the brighter half clipped", 400, 15.0, 20.0, 48000, 0.0, 0.0, 0.0, 5, 2, -1, "CH 5 (IR)", "CH 2 (VIS)"},
        {"a 1 s drop-out every 2 min", 520, 15.0, 1.0, 48000, 0.0, 120.0},
        {"a click every 10 s", 400, 15.0, 1.0, 48000, 0.0, 0.0, 10.0},
        {"11025 Hz, -80 ppm", 400, 15.0, 1.0, 11025, -80.0},
        {"channel B switched to CH 3B", 680, 15.0, 1.0, 48000, 0.0, 0.0, 0.0, 2, 2, 300, "CH 2 (VIS)",
         "CH 3B (mIR)"},
    };
    const fs::path dir = fs::temp_directory_path() / ("sorae-sensors-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::uint64_t seed = 11;
    for (const SensorCase& c : cases) {
        SCOPED_TRACE(c.name);
        GeneratorOptions o;
        o.sampleRate = c.rate;
        o.clockErrorPpm = c.ppm;
        o.snrDb = c.snrDb;
        o.seed = seed++;
        o.lines = c.lines;
        o.firstLineNumber = 40;   // start inside a telemetry frame
        o.startFraction = 0.3;
        o.whiteAmplitude = kWhiteAmplitude * c.level;
        o.dropoutEverySeconds = c.dropoutEvery;
        o.dropoutSeconds = 1.0;
        o.clickEverySeconds = c.clickEvery;
        AptLineSource source(makeBarsPattern(200), makeGradientPattern(200), c.sensorA, c.sensorB);
        if (c.sensorBChangeLine >= 0) source.changeSensor(1, c.sensorBChangeLine, 6);
        AptSignalGenerator generator(std::move(source), o);
        const std::string recording = (dir / "pass.wav").string();
        ASSERT_TRUE(writeRecording(recording, generator, SampleFormat::Int16).ok);

        const ProgramRun run = runProgram("decode '" + recording + "' --data-dir '" + dir.string() +
                                          "' --out '" + (dir / "out").string() + "'");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(sensorLine(run.output, "sensor A: "), c.expectedA) << run.output;
        EXPECT_EQ(sensorLine(run.output, "sensor B: "), c.expectedB) << run.output;
    }
    fs::remove_all(dir);
}

}  // namespace
