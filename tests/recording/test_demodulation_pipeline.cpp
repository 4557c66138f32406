#include "recording/demodulation_pipeline.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
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
        // Damage to the end: nothing after it to go on from, so the reader
        // ends with its error.
        for (std::size_t i = bytes.size() / 3; i < bytes.size(); ++i) bytes[i] = char(rng());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    return path;
}

// The blocks come out as the reader gives them, in order, each with the
// audio and envelope the demodulator gives when run block after block on
// one thread, to the bit; a read error after good blocks is still reported
// at the end.
TEST(DemodulationPipeline, DeliversTheReadersBlocksDemodulatedThenItsError) {
    testsupport::ScratchFolder scratch;
    const double gain = 0.5;
    for (bool damaged : {false, true}) {
        const std::string file = writeFlac(scratch.file(damaged ? "bad.flac" : "good.flac"), 6, damaged);
        RecordingReader direct, piped;
        ASSERT_TRUE(direct.open(file, RecordingKind::Audio));
        ASSERT_TRUE(piped.open(file, RecordingKind::Audio));
        std::vector<std::int16_t> expected(2 * 24000);
        std::vector<double> audio(Demodulator::kFramesPerBlock48k);
        auto alone = std::make_unique<Demodulator>();
        auto spread = std::make_unique<Demodulator>();
        int blocks = 0;
        {
            DemodulationPipeline ahead(piped, *spread, gain, 2);
            while (const DemodulatedBlock* block = ahead.next()) {
                ASSERT_TRUE(direct.nextBlock(expected.data())) << blocks;
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), block->frames.begin())) << blocks;
                for (std::size_t k = 0; k < audio.size(); ++k) audio[k] = double(expected[2 * k]) * gain;
                ASSERT_EQ(std::memcmp(audio.data(), block->audio.data(), audio.size() * sizeof(double)), 0);
                alone->demodulateEnvelope(audio.data());
                ASSERT_EQ(std::memcmp(audio.data(), block->envelope.data(),
                                      Demodulator::kEnvelopeSamples * sizeof(double)),
                          0)
                    << blocks;
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

// Stopping with blocks worked on ahead and the threads waiting for room
// ends at once, reports no error, and gives no further blocks.
TEST(DemodulationPipeline, StoppingEarlyEndsTheThreadsWithoutError) {
    testsupport::ScratchFolder scratch;
    const std::string file = writeFlac(scratch.file("long.flac"), 20, false);
    RecordingReader reader;
    ASSERT_TRUE(reader.open(file, RecordingKind::Audio));
    Demodulator demodulator;
    DemodulationPipeline ahead(reader, demodulator, 1.0, 3);
    ASSERT_NE(ahead.next(), nullptr);
    ahead.stop();
    EXPECT_EQ(ahead.next(), nullptr);
    EXPECT_EQ(ahead.error(), RecordingError::None);
    EXPECT_LT(reader.blocksDelivered(), 40);  // it did not read on to the end
}

}  // namespace
}  // namespace sorae
