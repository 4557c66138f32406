#include "capture/pass_audio_writer.h"
#include "capture/recording_reader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "common/scratch_folder.h"

namespace sorae {
namespace {

namespace fs = std::filesystem;

class PassAudioWriterTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return scratch_.file(name); }
    testsupport::ScratchFolder scratch_{"sorae_passaudio_"};
};

// Noise: FLAC cannot squeeze it, so sizes are predictable.
std::vector<int16_t> noiseFrames(int frames, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<int16_t> v(2 * size_t(frames));
    for (auto& x : v) x = int16_t(int(rng() % 65536) - 32768);
    return v;
}

// What a pass leaves behind can be read back, block for block, as the
// same kind of recording it was captured as.
TEST_F(PassAudioWriterTest, CapturedBlocksComeBackExactlyFromTheFinishedFile) {
    struct Case {
        int rate;
        int block;
        RecordingKind kind;
    };
    for (const Case& c : {Case{48000, 24000, RecordingKind::Audio},
                          Case{96000, 48000, RecordingKind::Quadrature}}) {
        const std::string final = path("202612081630NOAA19-" + std::to_string(c.rate) + ".flac");
        PassAudioWriter w;
        ASSERT_TRUE(w.open(final, c.rate)) << w.errorMessage();
        std::vector<int16_t> all;
        for (int b = 0; b < 3; ++b) {
            const auto block = noiseFrames(c.block, unsigned(b + c.rate));
            ASSERT_TRUE(w.append(block.data(), c.block));
            all.insert(all.end(), block.begin(), block.end());
        }
        EXPECT_FALSE(fs::exists(final)) << "final name given before the file is complete";
        EXPECT_TRUE(fs::exists(PassAudioWriter::temporaryPathFor(final)));
        EXPECT_EQ(w.framesWritten(), 3LL * c.block);
        ASSERT_TRUE(w.close()) << w.errorMessage();
        EXPECT_FALSE(w.isOpen());
        EXPECT_TRUE(fs::exists(final));
        EXPECT_FALSE(fs::exists(PassAudioWriter::temporaryPathFor(final)));

        RecordingReader r;
        ASSERT_TRUE(r.open(final, c.kind)) << r.errorMessage();
        std::vector<int16_t> back;
        std::vector<int16_t> block(2 * size_t(c.block));
        while (r.nextBlock(block.data())) back.insert(back.end(), block.begin(), block.end());
        EXPECT_EQ(r.blocksDelivered(), 3);
        EXPECT_TRUE(back == all) << c.rate;
    }
}

TEST_F(PassAudioWriterTest, MissingFolderOrOddRateIsReportedNotThrown) {
    PassAudioWriter w;
    const std::string nowhere = path("no/such/folder/pass.flac");
    EXPECT_FALSE(w.open(nowhere, 48000));
    EXPECT_TRUE(w.failed());
    EXPECT_NE(w.errorMessage().find(nowhere), std::string::npos) << w.errorMessage();
    const auto block = noiseFrames(100, 1);
    EXPECT_FALSE(w.append(block.data(), 100));
    EXPECT_FALSE(w.close());

    EXPECT_FALSE(w.open(path("odd.flac"), 44100));
    EXPECT_FALSE(fs::exists(PassAudioWriter::temporaryPathFor(path("odd.flac"))));
}

// A disk that fills up during the pass: the write fails, the failure is
// reported, later blocks are dropped without complaint, and the partial
// file never takes the final name.
TEST_F(PassAudioWriterTest, FullDiskIsReportedAndPartialFileKeepsItsTemporaryName) {
    const std::string final = path("full.flac");
    PassAudioWriter w;
    ASSERT_TRUE(w.open(final, 48000));

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 256 * 1024;  // less than three blocks of noise
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    bool appendFailed = false;
    for (int b = 0; b < 6; ++b) {
        const auto block = noiseFrames(24000, unsigned(b));
        if (!w.append(block.data(), 24000)) appendFailed = true;
    }
    const bool closed = w.close();

    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(closed);
    EXPECT_TRUE(appendFailed);
    EXPECT_TRUE(w.failed());
    EXPECT_FALSE(w.errorMessage().empty());
    EXPECT_FALSE(fs::exists(final));
    EXPECT_TRUE(fs::exists(PassAudioWriter::temporaryPathFor(final)));
}

TEST_F(PassAudioWriterTest, RefusedRenameIsReportedAndDataKept) {
    const std::string final = path("taken.flac");
    fs::create_directories(fs::path(final) / "inside");  // a non-empty folder by that name
    PassAudioWriter w;
    ASSERT_TRUE(w.open(final, 48000));
    const auto block = noiseFrames(24000, 3);
    ASSERT_TRUE(w.append(block.data(), 24000));
    EXPECT_FALSE(w.close());
    EXPECT_NE(w.errorMessage().find(final), std::string::npos) << w.errorMessage();
    EXPECT_TRUE(fs::is_regular_file(PassAudioWriter::temporaryPathFor(final)));
}

TEST_F(PassAudioWriterTest, UnfinishedFileIsRemovedWhenAbandoned) {
    const std::string final = path("gone.flac");
    {
        PassAudioWriter w;
        ASSERT_TRUE(w.open(final, 96000));
        const auto block = noiseFrames(48000, 4);
        ASSERT_TRUE(w.append(block.data(), 48000));
    }
    EXPECT_FALSE(fs::exists(final));
    EXPECT_FALSE(fs::exists(PassAudioWriter::temporaryPathFor(final)));
}

}  // namespace
}  // namespace sorae
