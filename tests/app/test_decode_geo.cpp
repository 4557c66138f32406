// `sorae-apt decode --geo` end to end on a real pass: the NOAA 19 picture of
// 2019-05-21 over Spain turned back into APT sound, under a file name whose
// time is 3 s late. The coasts pull the time back, the GeoTIFFs and the
// ground overlay are written; inputs that cannot be placed say why and keep
// the plain pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "common/program_run.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "test_real_pass_recording.h"
#include "testsignal/recording_writer.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::testsignal;
using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;

namespace {

const std::string kElements = std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-05-21.txt";

class DecodeGeoTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One folder per test: a parameterised test's name ("Says.../NoSatellite")
        // holds a slash, which would make a nested folder that outlives the test.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir_ = fs::temp_directory_path() / ("sorae-decode-geo-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::copy_file(kElements, dir_ / "SatTle.txt");
        fs::copy_file(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map", dir_ / "AllWorld.map");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string makeRecording(const std::string& name) {
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(testsupport::WriteRealPassRecording(path));
        return path;
    }

    fs::path dir_;
};

TEST_F(DecodeGeoTest, ARealPassWithItsClockThreeSecondsLateIsPlacedAndWritten) {
    const std::string recording = makeRecording("SDRSharp_20190521_170207Z_137500000Hz.wav");
    // The direction from the orbit: northbound, so turned north-up.
    const ProgramRun run = runProgram("decode '" + recording + "' --satellite NOAA-19 --direction auto --geo" +
                                      " --data-dir '" + dir_.string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("(SDR# file name (UTC))"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("direction: S>N, turned north-up (from the orbit)"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("note: the satellite flew"), std::string::npos) << run.output;
    double seconds = 0, confidence = 0;
    const auto at = run.output.find("time corrected by ");
    ASSERT_NE(at, std::string::npos) << run.output;
    ASSERT_EQ(std::sscanf(run.output.c_str() + at, "time corrected by %lf s, confidence %lf", &seconds,
                          &confidence), 2);
    EXPECT_NEAR(seconds, -3.0, 0.6) << run.output;
    EXPECT_GE(confidence, 0.4);
    // the roll found beside the time
    double roll = 99;
    const auto rollAt = run.output.find("roll corrected by ", at);
    ASSERT_NE(rollAt, std::string::npos) << run.output;
    ASSERT_EQ(std::sscanf(run.output.c_str() + rollAt, "roll corrected by %lf deg", &roll), 1);
    EXPECT_LT(std::abs(roll), 0.5) << run.output;
    int tiffs = 0, overlays = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "pics")) {
        tiffs += entry.path().extension() == ".tif";
        overlays += entry.path().extension() == ".kml";
    }
    EXPECT_EQ(tiffs, 2) << run.output;
    EXPECT_EQ(overlays, 1) << run.output;

    // Decoded again into the same folder, the pictures take numbered names
    // ("...A-2.jpg"), and so do the map products.
    const ProgramRun kept = runProgram("decode '" + recording + "' --satellite NOAA-19 --direction 'S>N' --polar" +
                                       " --no-align --data-dir '" + dir_.string() + "'");
    EXPECT_EQ(kept.output.find("time corrected"), std::string::npos) << kept.output;
    // --polar: the latitude/longitude GeoTIFFs and the polar stereographic ones
    int plain = 0, polar = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "pics")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".tif" || name.find("-2") == std::string::npos) continue;
        (name.size() > 10 && name.compare(name.size() - 10, 10, "-polar.tif") == 0 ? polar : plain) += 1;
    }
    EXPECT_EQ(plain, 2) << kept.output;
    EXPECT_EQ(polar, 2) << kept.output;
    // the same pictures as with the direction given
    const auto bytes = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const fs::path pics = dir_ / "pics";
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(pics)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 6 || name.compare(name.size() - 6, 6, "-2.jpg") != 0) continue;
        const fs::path first = pics / (name.substr(0, name.size() - 6) + ".jpg");
        EXPECT_TRUE(bytes(entry.path()) == bytes(first)) << name;
        ++compared;
    }
    EXPECT_EQ(compared, 2);
}

// The same pass from a sound card 0.1 % slow that lost 8.3 s of it four
// minutes in. Read at its header's rate and by its sample positions, its
// lines would drift by half a second over the pass and jump by 8.3 s after
// the gap; the coasts then could not agree on one time. Measured against
// the satellite's line rate and timed across the gap, they agree on the
// file name's time.
TEST_F(DecodeGeoTest, ARealPassFromASlowSoundCardWithSecondsLostIsPlacedAsAWhole) {
    const std::string path = (dir_ / "SDRSharp_20190521_170204Z_137500000Hz.wav").string();
    ASSERT_TRUE(testsupport::WriteRealPassRecording(path, -1000.0));
    ASSERT_TRUE(testsupport::CutOutOfRecording(path, 240.0, 8.3));

    const ProgramRun run = runProgram("decode '" + path + "' --satellite NOAA-19 --direction 'S>N' --geo" +
                                      " --data-dir '" + dir_.string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("clock: the recorder's samples came at 47952 Hz"), std::string::npos) << run.output;
    // 8.3 s of the recording, in the satellite's seconds
    EXPECT_NE(run.output.find("lost from the recording: 8.308 s before line 4"), std::string::npos) << run.output;
    double seconds = 0, confidence = 0;
    const auto at = run.output.find("time corrected by ");
    ASSERT_NE(at, std::string::npos) << run.output;
    ASSERT_EQ(std::sscanf(run.output.c_str() + at, "time corrected by %lf s, confidence %lf", &seconds,
                          &confidence), 2);
    // the clean recording's own offset (the picture's decoder and the
    // satellite's clock), as the test above finds it less its 3 s
    EXPECT_NEAR(seconds, 0.3, 0.3) << run.output;
    EXPECT_GE(confidence, 0.9) << run.output;
}

std::map<std::string, std::string> FilesByExtension(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().extension().string() + (entry.path().stem().string().back() == 'B' ? "B" : "")] =
            std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// The title is drawn over the top rows of the saved pictures; the GeoTIFFs
// and the ground overlay hold the image rows as received.
TEST_F(DecodeGeoTest, TheTitleOfThePicturesStaysOutOfTheMapProducts) {
    const std::string recording = makeRecording("SDRSharp_20190521_170204Z_137500000Hz.wav");
    const std::string command = "decode '" + recording + "' --satellite NOAA-19 --direction 'S>N' --geo --no-align" +
                                " --data-dir '" + dir_.string() + "' --out ";
    const ProgramRun titled = runProgram(command + "'" + (dir_ / "titled").string() + "'");
    ASSERT_EQ(titled.status, 0) << titled.output;
    std::ofstream(dir_ / "sorae-apt.ini") << "[Pic]\r\nAddText=0\r\n";
    const ProgramRun plain = runProgram(command + "'" + (dir_ / "plain").string() + "'");
    ASSERT_EQ(plain.status, 0) << plain.output;
    const auto withTitle = FilesByExtension(dir_ / "titled");
    const auto without = FilesByExtension(dir_ / "plain");
    ASSERT_TRUE(withTitle.count(".jpg") && without.count(".jpg"));
    EXPECT_NE(withTitle.at(".jpg"), without.at(".jpg")) << "the title is on the saved picture";
    for (const char* product : {".tif", ".tifB", ".png"}) {
        ASSERT_TRUE(withTitle.count(product) && without.count(product)) << product << "\n" << titled.output;
        EXPECT_TRUE(withTitle.at(product) == without.at(product)) << product;
    }
}

// A name without a time: the start is the file's modification time less
// its length, a guess. Where the coasts confirm it, it is used quietly;
// where they do not (the file was copied hours later), the user is warned
// that the products may lie far off.
TEST_F(DecodeGeoTest, AnApproximateStartIsWarnedOfUnlessTheCoastsConfirmIt) {
    const std::string recording = makeRecording("pass.wav");
    constexpr double kTrueEnd = 1558458124.0 + 977 * 0.5;  // 2019-05-21 17:02:04 UTC + its length
    struct Case {
        double endUnix;
        bool warned;
    };
    for (const Case c : {Case{kTrueEnd + 1.0, false}, Case{kTrueEnd + 3 * 3600.0, true}}) {
        SCOPED_TRACE(c.endUnix);
        const timespec times[2] = {{std::time_t(c.endUnix), 0}, {std::time_t(c.endUnix), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, recording.c_str(), times, 0), 0);
        const ProgramRun run = runProgram("decode '" + recording + "' --satellite NOAA-19 --direction 'S>N' --geo" +
                                          " --data-dir '" + dir_.string() + "'");
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("modification time"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("time corrected") != std::string::npos, !c.warned) << run.output;
        EXPECT_EQ(run.output.find("start is only approximate") != std::string::npos, c.warned) << run.output;
    }
}

struct BadCase {
    const char* name;
    const char* file;
    const char* satellite;  // empty: none given
    const char* message;
};

class DecodeGeoBadInput : public DecodeGeoTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(DecodeGeoBadInput, SaysWhyAndKeepsThePlainPictures) {
    const BadCase& c = GetParam();
    const std::string recording = makeRecording(c.file);
    const std::string satellite = *c.satellite ? std::string(" --satellite ") + c.satellite : "";
    const ProgramRun run = runProgram("decode '" + recording + "'" + satellite +
                                      " --direction auto --geo --data-dir '" + dir_.string() + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("direction: N>S, as the orbit could not tell"), std::string::npos) << run.output;
    int jpegs = 0, tiffs = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "pics")) {
        jpegs += entry.path().extension() == ".jpg";
        tiffs += entry.path().extension() == ".tif";
    }
    EXPECT_EQ(jpegs, 2) << run.output;
    EXPECT_EQ(tiffs, 0) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeGeoBadInput,
    ::testing::Values(
        BadCase{"NoSatellite", "SDRSharp_20190521_170204Z_137500000Hz.wav", "", "the satellite is unknown"},
        BadCase{"NoElementSet", "SDRSharp_20190521_170204Z_137500000Hz.wav", "NOAA-15", "NOAA-15"},
        BadCase{"SetTooFarFromThePass", "SDRSharp_20191021_170204Z_137500000Hz.wav", "NOAA-19", "60"},
        // no time in the name: the file's own time, today, is years from the set
        BadCase{"NoStartTime", "pass.wav", "NOAA-19", "modification time"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
