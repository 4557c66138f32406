// `sorae-apt decode` on damaged, extreme and impossible input: the real
// program, each case with the words it must say and what it must still
// deliver. Nothing may hang, and nothing good may be lost to bad samples.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/test_picture_support.h"
#include "common/program_run.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::testsignal;

namespace {

class DecodeFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sorae-decode-faults-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
    }
    void TearDown() override { fs::remove_all(dir_); }

    // 300 lines (150 s) of a clean NOAA-19 pass.
    std::string recording(const std::string& name, SampleFormat format) {
        GeneratorOptions options;
        options.sampleRate = 48000;
        options.lines = 300;
        options.snrDb = 30.0;
        AptLineSource source(testsupport::smoothPicture(300, 0.0), testsupport::smoothPicture(300, 1.5), 2, 4);
        AptSignalGenerator generator(source, options);
        const std::string path = (dir_ / name).string();
        const RecordingResult written = writeRecording(path, generator, format);
        EXPECT_TRUE(written.ok) << written.error;
        return path;
    }

    std::string run(const std::string& arguments) {
        const testsupport::ProgramRun r = testsupport::runProgram(
            "decode " + arguments + " --data-dir '" + dir_.string() + "' --out '" + (dir_ / "out").string() + "'");
        status_ = r.status;
        return r.output;
    }

    fs::path dir_;
    int status_ = -1;
};

// Where the samples of a float WAV begin.
std::streamoff floatDataOffset(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string head(4096, '\0');
    std::string bytes(head.size(), '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    const auto at = bytes.find("data");
    return at == std::string::npos ? -1 : std::streamoff(at + 8);
}

void poke(const std::string& path, std::streamoff at, const void* bytes, std::size_t n) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    f.write(static_cast<const char*>(bytes), std::streamsize(n));
}

TEST_F(DecodeFaultTest, DamagedAndImpossibleInputIsNamedAndCostsNoMoreThanItSpoils) {
    struct Case {
        const char* what;
        std::function<std::string()> make;  // the arguments
        int status;
        std::vector<const char*> said;
        int fewestLines;  // lines stored at least (0: no decode expected)
    };
    const Case cases[] = {
        {"an absurd and a non-finite sample in a float recording",
         [&] {
             const std::string path = recording("spike.wav", SampleFormat::Float);
             const std::streamoff data = floatDataOffset(path);
             const float spike = 1e6f;
             const float nan = std::nanf("");
             // (a mono recording: four bytes a sample)
             poke(path, data + std::streamoff(4 * 48000 * 100), &spike, 4);  // at 100 s
             poke(path, data + std::streamoff(4 * 48000 * 40), &nan, 4);     // at 40 s
             return "'" + path + "'";
         },
         0, {"2 samples (the first at 40.0 s)", "taken as silence", "written:"}, 290},
        {"a few kB of damage in the middle of a FLAC",
         [&] {
             const std::string path = recording("damaged.flac", SampleFormat::Int16);
             const std::string junk(4000, '\x5a');
             poke(path, std::streamoff(fs::file_size(path) / 2), junk.data(), junk.size());
             return "'" + path + "'";
         },
         0, {"damaged: 1 stretch", "skipped as silence", "written:"}, 290},
        {"a WAV cut off while being written",
         [&] {
             const std::string path = recording("cut.wav", SampleFormat::Int16);
             fs::resize_file(path, fs::file_size(path) * 6 / 10);
             return "'" + path + "'";
         },
         0, {"で終わっています（ヘッダーでは", "written:"}, 170},
        {"a FIFO",
         [&] {
             const std::string path = (dir_ / "pipe.wav").string();
             ::mkfifo(path.c_str(), 0644);
             return "'" + path + "'";
         },
         1, {"pipe.wav: not a regular file"}, 0},
        {"a folder with a looping and a dangling link",
         [&] {
             fs::create_directories(dir_ / "batch" / "sub");
             fs::copy_file(recording("good.wav", SampleFormat::Int16), dir_ / "batch" / "good.wav");
             fs::create_directory_symlink("..", dir_ / "batch" / "sub" / "up");
             fs::create_symlink("nowhere.wav", dir_ / "batch" / "gone.wav");
             return "'" + (dir_ / "batch").string() + "' --recursive";
         },
         1, {"skipped", "gone.wav", "up: a link back to a folder already read", "written:"}, 0},
        {"--gain nan", [] { return std::string("x.wav --gain nan"); }, 2, {"--gain takes a number, not nan"}, 0},
        {"--frequency inf", [] { return std::string("x.wav --frequency inf"); }, 2, {"--frequency takes a number"}, 0},
        {"--max-elevation nan", [] { return std::string("x.wav --max-elevation nan"); }, 2,
         {"--max-elevation takes a number"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string output = run("--satellite NOAA-19 " + c.make());
        EXPECT_EQ(status_, c.status) << output;
        for (const char* said : c.said) EXPECT_NE(output.find(said), std::string::npos) << said << "\n" << output;
        if (c.fewestLines > 0) {
            const auto at = output.find("lines stored: ");
            ASSERT_NE(at, std::string::npos) << output;
            EXPECT_GE(std::stoi(output.substr(at + 14)), c.fewestLines) << output;
        }
    }
}

// A pass of a minute already in the folder (another run, or another
// program decoding at the same moment) keeps its pictures.
TEST_F(DecodeFaultTest, PicturesOfTheSameMinuteAreNumberedAcrossRunsAndProcesses) {
    const std::string path = recording("NOAA19-20190124-0930.wav", SampleFormat::Int16);
    run("'" + path + "'");
    ASSERT_EQ(status_, 0);
    // Two more at once, through the shell.
    const std::string program = testsupport::programPath();
    const std::string args = " decode '" + path + "' --data-dir '" + dir_.string() + "' --out '" +
                             (dir_ / "out").string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system((program + args + " & " + program + args + " & wait").c_str()), 0);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_ / "out")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    // The satellite comes from the name: NOAA 19's pictures.
    EXPECT_EQ(names, (std::vector<std::string>{"20190124183019A-2.jpg", "20190124183019A-3.jpg",
                                               "20190124183019A.jpg", "20190124183019B-2.jpg",
                                               "20190124183019B-3.jpg", "20190124183019B.jpg"}));
}

}  // namespace
