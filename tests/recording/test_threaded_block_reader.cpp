#include "recording/threaded_block_reader.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/scratch_folder.h"

namespace sorae {
namespace {

// A mono FLAC of noisy tones, optionally damaged a third of the way in.
std::string writeFlac(const std::string& path, int seconds, bool damaged) {
    std::mt19937 rng(5);
    std::vector<short> samples(std::size_t(48000) * seconds);
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = short(12000.0 * std::sin(0.1 * double(n)) + double(rng() % 4000));
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr);
    sf_writef_short(f, samples.data(), sf_count_t(samples.size()));
    sf_close(f);
    if (damaged) {
        std::string bytes;
        {
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        for (std::size_t i = bytes.size() / 3; i < bytes.size() / 3 + 4000; ++i) bytes[i] = char(rng());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    return path;
}

// The blocks come out as the reader gives them, in order, and a read error
// after good blocks is still reported at the end.
TEST(ThreadedBlockReader, DeliversTheReadersBlocksThenItsError) {
    testsupport::ScratchFolder scratch;
    for (bool damaged : {false, true}) {
        const std::string file = writeFlac(scratch.file(damaged ? "bad.flac" : "good.flac"), 6, damaged);
        RecordingReader direct, threaded;
        ASSERT_TRUE(direct.open(file, RecordingKind::Audio));
        ASSERT_TRUE(threaded.open(file, RecordingKind::Audio));
        std::vector<std::int16_t> expected(2 * 24000);
        int blocks = 0;
        {
            ThreadedBlockReader ahead(threaded, 2);
            while (const std::int16_t* block = ahead.next()) {
                ASSERT_TRUE(direct.nextBlock(expected.data())) << blocks;
                ASSERT_EQ(ahead.lastBlockFrames(), direct.lastBlockFrames());
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), block)) << blocks;
                ++blocks;
            }
            EXPECT_FALSE(direct.nextBlock(expected.data()));
            ahead.stop();
            EXPECT_EQ(ahead.error(), direct.error()) << damaged;
            EXPECT_EQ(ahead.errorMessage(), direct.errorMessage());
        }
        EXPECT_GT(blocks, 0);
        EXPECT_EQ(direct.error() != RecordingError::None, damaged);
    }
}

// Stopping with blocks read ahead and the thread waiting for room ends at
// once, reports no error, and gives no further blocks.
TEST(ThreadedBlockReader, StoppingEarlyEndsTheThreadWithoutError) {
    testsupport::ScratchFolder scratch;
    const std::string file = writeFlac(scratch.file("long.flac"), 20, false);
    RecordingReader reader;
    ASSERT_TRUE(reader.open(file, RecordingKind::Audio));
    ThreadedBlockReader ahead(reader, 3);
    ASSERT_NE(ahead.next(), nullptr);
    ahead.stop();
    EXPECT_EQ(ahead.next(), nullptr);
    EXPECT_EQ(ahead.error(), RecordingError::None);
    EXPECT_LT(reader.blocksDelivered(), 40);  // it did not read on to the end
}

}  // namespace
}  // namespace sorae
