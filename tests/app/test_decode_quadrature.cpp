// `sorae-apt decode --iq` on I/Q recordings other than a receiver's 96 kHz IF
// output: SDR baseband files at other rates, the carrier found or given, I
// and Q swapped. Each goes through the real program and must give the sensor
// names and the pictures the generator sent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "common/program_run.h"
#include "app/test_picture_support.h"
#include "imaging/jpeg_file.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::testsignal;
using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;
using sorae::testsupport::smoothPicture;

namespace {

constexpr long kFirstLine = 40;  // inside a telemetry frame

// Best correlation of a saved picture's image words with the lines sent,
// over the small line and column offsets of the chain.
double bestCorrelation(const PictureBuffer& picture, const AptLineSource& source, int channel) {
    double best = -1.0;
    for (int lineShift = 30; lineShift <= 50; ++lineShift) {
        for (int columnShift = -6; columnShift <= 6; ++columnShift) {
            double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
            long n = 0;
            for (int r = 80; r < picture.height; r += 2) {  // below the title
                const auto truth = source.half(r + lineShift, channel);
                for (int w = AptLayout::kImageStart + 10; w < AptLayout::kTelemetryStart - 10; w += 3) {
                    const double a = picture.row(r)[3 * (w + columnShift)];
                    const double b = truth[w];
                    sx += a; sy += b; sxx += a * a; syy += b * b; sxy += a * b;
                    ++n;
                }
            }
            const double var = (sxx - sx * sx / n) * (syy - sy * sy / n);
            if (n > 0 && var > 0) best = std::max(best, (sxy - sx * sy / n) / std::sqrt(var));
        }
    }
    return best;
}

struct Recording {
    int rate;
    double carrierHz;
    double snrDb;
    bool swapped;     // written Q left, I right
    long lines = 420; // enough for the sensor names
};

struct Case {
    const char* name;
    Recording recording;
    const char* options;
    double expectedCarrierHz;
    const char* how;  // "given" or "found"
};

class DecodeQuadratureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sorae-decode-iq-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
        source_.emplace(smoothPicture(600, 0.0), smoothPicture(600, 1.5), 2, 4);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // One file per kind of recording, made once for every case that reads it.
    std::string recordingFor(const Recording& r) {
        char name[96];
        std::snprintf(name, sizeof name, "iq-%d-%.0f-%ld%s.wav", r.rate, r.carrierHz, r.lines,
                      r.swapped ? "-swapped" : "");
        const fs::path path = dir_ / name;
        if (fs::exists(path)) return path.string();
        GeneratorOptions options;
        options.kind = SignalKind::IQ;
        options.sampleRate = r.rate;
        options.carrierHz = r.carrierHz;
        options.lines = r.lines;
        options.snrDb = r.snrDb;
        options.startFraction = 0.3;
        options.firstLineNumber = kFirstLine;
        AptSignalGenerator generator(*source_, options);
        const fs::path written = r.swapped ? dir_ / "unswapped.wav" : path;
        const RecordingResult result = writeRecording(written.string(), generator, SampleFormat::Int16);
        EXPECT_TRUE(result.ok) << result.error;
        if (r.swapped) {
            const std::string sox = "sox -D '" + written.string() + "' '" + path.string() + "' remix 2 1";
            EXPECT_EQ(std::system(sox.c_str()), 0) << sox;
            fs::remove(written);
        }
        return path.string();
    }

    fs::path dir_;
    std::optional<AptLineSource> source_;
};

}  // namespace

TEST_F(DecodeQuadratureTest, BasebandAndSwappedRecordingsAtOtherRatesBecomeTheSourcePictures) {
    const Case cases[] = {
        {"192 kHz baseband, carrier found", {192000, 0.0, 15.0, false}, "", 0.0, "found"},
        {"192 kHz baseband, carrier given", {192000, 0.0, 15.0, false}, "--iq-carrier 0", 0.0, "given"},
        {"192 kHz swapped, carrier found", {192000, 30000.0, 15.0, true}, "--iq-swap", 30000.0, "found"},
        {"250 kHz off-centre", {250000, -41500.0, 10.0, false}, "", -41500.0, "found"},
        {"48 kHz baseband, the least rate", {48000, 0.0, 15.0, false}, "--iq-carrier 0", 0.0, "given"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string recording = recordingFor(c.recording);
        const fs::path out = dir_ / "out";
        fs::remove_all(out);
        const ProgramRun run = runProgram("decode '" + recording + "' --iq " + c.options +
                                          " --data-dir '" + dir_.string() + "' --out '" +
                                          out.string() + "' --satellite NOAA-19 --time 202501151023");
        ASSERT_EQ(run.status, 0) << run.output;
        double carrier = NAN;
        char how[16] = "";
        const auto at = run.output.find("carrier: ");
        ASSERT_NE(at, std::string::npos) << run.output;
        ASSERT_EQ(std::sscanf(run.output.c_str() + at, "carrier: %lf Hz (%15[a-z])", &carrier, how), 2)
            << run.output;
        EXPECT_STREQ(how, c.how);
        EXPECT_NEAR(carrier, c.expectedCarrierHz, 50.0);
        EXPECT_NE(run.output.find("sensor A: CH 2"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("sensor B: CH 4"), std::string::npos) << run.output;
        std::map<char, fs::path> files;  // by channel letter, whatever the time in the name
        if (fs::exists(out))
            for (const auto& entry : fs::directory_iterator(out))
                files[entry.path().stem().string().back()] = entry.path();
        for (int channel = 0; channel < 2; ++channel) {
            const fs::path file = files[channel == 0 ? 'A' : 'B'];
            ASSERT_FALSE(file.empty()) << run.output;
            const JpegReadResult jpeg = LoadJpegPicture(file.string());
            ASSERT_TRUE(jpeg.ok) << jpeg.error;
            EXPECT_GT(jpeg.picture.height, 350);
            EXPECT_GT(bestCorrelation(jpeg.picture, *source_, channel), 0.95) << "channel " << channel;
        }
    }
}

// Recordings that cannot hold the FM band are refused with a reason, not
// decoded into noise.
TEST_F(DecodeQuadratureTest, RecordingsThatCannotHoldTheSignalAreRefused) {
    struct Refusal {
        Recording recording;
        const char* options;
    };
    const Refusal refusals[] = {
        {{44100, 0.0, 15.0, false, 20}, ""},                        // too narrow for +-20 kHz
        {{96000, -24000.0, 15.0, false, 20}, "--iq-carrier 40000"},  // the band would leave the file's
    };
    for (const Refusal& r : refusals) {
        const std::string recording = recordingFor(r.recording);
        const ProgramRun run = runProgram("decode '" + recording + "' --iq " + r.options +
                                          " --data-dir '" + dir_.string() + "'");
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(recording), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("FM"), std::string::npos) << run.output;
    }
}
