#include "capture/pass_audio_writer.h"
#include "capture/leftover_files.h"
#include "capture/recording_reader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
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

// No recording replaces a file: a taken name, or one whose working file
// exists, gets the next free number; a rename that cannot be done at all
// leaves the data under the working name.
TEST_F(PassAudioWriterTest, TakenNamesGetANumberAndRefusedRenamesKeepTheData) {
    const std::string final = path("taken.flac");
    fs::create_directories(fs::path(final) / "inside");  // a folder by that name
    std::ofstream(path("taken_2.flac.part")) << "another writer's";
    const auto block = noiseFrames(24000, 3);
    PassAudioWriter w;
    ASSERT_TRUE(w.open(final, 48000));
    EXPECT_EQ(w.workingPath(), path("taken_3.flac.part"));
    ASSERT_TRUE(w.append(block.data(), 24000));
    std::ofstream(path("taken_3.flac")) << "appeared meanwhile";
    ASSERT_TRUE(w.close()) << w.errorMessage();
    EXPECT_EQ(w.finalPath(), path("taken_4.flac"));
    EXPECT_EQ(fs::file_size(path("taken_3.flac")), 18u);
    EXPECT_EQ(fs::file_size(path("taken_2.flac.part")), 16u);

    ASSERT_TRUE(w.open(path("elsewhere.flac"), 48000));
    ASSERT_TRUE(w.append(block.data(), 24000));
    const std::string nowhere = path("no/such/folder/pass.flac");
    EXPECT_FALSE(w.closeAs(nowhere));
    EXPECT_NE(w.errorMessage().find(nowhere), std::string::npos) << w.errorMessage();
    EXPECT_TRUE(fs::is_regular_file(path("elsewhere.flac.part")));
}

// A program killed mid-pass, started again within the same pass: the new
// recording takes a new name, the killed one is finished at the next start
// with the sound it had flushed, and nothing is lost or truncated.
TEST_F(PassAudioWriterTest, ARecordingKilledMidPassIsKeptAndFinishedLater) {
    const std::string final = path("202612081630NOAA19.flac");
    const int blocks = 12;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PassAudioWriter w;
        bool ok = w.open(final, 48000);
        for (int b = 0; ok && b < blocks; ++b) {
            const auto block = noiseFrames(24000, unsigned(b));
            ok = w.append(block.data(), 24000);
        }
        const char done = ok ? 'y' : 'n';
        (void)!::write(ready[1], &done, 1);
        ::pause();  // killed here, the file still open
        std::_Exit(0);
    }
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(done, 'y');
    const std::string killed = PassAudioWriter::temporaryPathFor(final);
    {
        // Still being written: the start of another program leaves it alone.
        const LeftoverFiles early = tidyPicturesFolder(scratch_.path().string());
        EXPECT_TRUE(early.finished.empty() && early.removed.empty() && early.problems.empty());
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const auto killedSize = fs::file_size(killed);
    EXPECT_GT(killedSize, 1000000u);

    // The restarted program records the rest of the same pass.
    PassAudioWriter again;
    ASSERT_TRUE(again.open(final, 48000));
    const auto rest = noiseFrames(24000, 99);
    ASSERT_TRUE(again.append(rest.data(), 24000));
    ASSERT_TRUE(again.close()) << again.errorMessage();
    EXPECT_EQ(again.finalPath(), path("202612081630NOAA19_2.flac"));
    EXPECT_EQ(fs::file_size(killed), killedSize) << "the killed recording is untouched";

    const LeftoverFiles tidy = tidyPicturesFolder(scratch_.path().string());
    ASSERT_EQ(tidy.finished, std::vector<std::string>{final}) << (tidy.problems.empty() ? "" : tidy.problems[0]);
    EXPECT_FALSE(fs::exists(killed));
    RecordingReader r;
    ASSERT_TRUE(r.open(final, RecordingKind::Audio)) << r.errorMessage();
    std::vector<int16_t> block(2 * 24000);
    for (int b = 0; r.nextBlock(block.data()); ++b) {
        ASSERT_LT(b, blocks);
        // The last block may be cut short by the kill.
        if (b < blocks - 1) {
            EXPECT_TRUE(block == noiseFrames(24000, unsigned(b))) << "block " << b;
        }
    }
    // All but what the encoder still held when it was killed.
    EXPECT_GE(r.blocksDelivered(), blocks - 1);
}

// Other leftovers: working files holding nothing, or that cannot be read,
// and half-written pictures, young and old.
TEST_F(PassAudioWriterTest, LeftoversOfAKilledRunAreTidiedOrKept) {
    struct Case {
        const char* name;
        std::size_t bytes;
        bool removedWhenStale;
    };
    const Case cases[] = {
        {"empty.flac.part", 0, true},
        {"header-only.flac.part", 3000, true},
        {"not-sound.flac.part", 200000, false},  // kept: it may be worth a look
        {"halfway.jpg.part", 50000, true},
        {"halfway.jpg.tmp-4242-7-5f3a", 50000, true},
        {"own-notes.jpg.tmp-draft", 10, false},
        {"notes.txt", 10, false},
        {"202612081630NOAA19A.jpg", 50000, false},
    };
    for (const bool stale : {false, true}) {
        SCOPED_TRACE(stale ? "stale" : "young");
        for (const Case& c : cases) std::ofstream(path(c.name), std::ios::binary) << std::string(c.bytes, 'x');
        const LeftoverFiles tidy =
            tidyPicturesFolder(scratch_.path().string(), std::chrono::seconds(stale ? 0 : 60));
        EXPECT_TRUE(tidy.finished.empty());
        EXPECT_EQ(tidy.problems.size(), 1u);
        for (const Case& c : cases) {
            const bool flac = std::string(c.name).find(".flac") != std::string::npos;
            EXPECT_EQ(fs::exists(path(c.name)), !(c.removedWhenStale && (stale || flac))) << c.name;
        }
    }
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
