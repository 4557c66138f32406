#include "capture/recording_reader.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include "common/scratch_folder.h"

namespace sorae {
namespace {

namespace fs = std::filesystem;
constexpr double kPi = std::numbers::pi;

class RecordingReaderTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return scratch_.file(name); }

    // Writes interleaved int16 or float samples with libsndfile.
    template <typename Sample>
    std::string writeSamples(const std::string& name, int format, int rate, int channels,
                             const std::vector<Sample>& samples) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* f = sf_open(path(name).c_str(), SFM_WRITE, &info);
        EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
        if (!f) return path(name);
        const sf_count_t frames = sf_count_t(samples.size() / channels);
        if constexpr (std::is_same_v<Sample, float>)
            sf_writef_float(f, samples.data(), frames);
        else
            sf_writef_short(f, samples.data(), frames);
        sf_close(f);
        return path(name);
    }
    std::string writeShorts(const std::string& name, int format, int rate, int channels,
                            const std::vector<int16_t>& samples) {
        return writeSamples(name, format, rate, channels, samples);
    }
    std::string writeFloats(const std::string& name, int format, int rate, int channels,
                            const std::vector<float>& samples) {
        return writeSamples(name, format, rate, channels, samples);
    }
    std::string writeBytes(const std::string& name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

    // Reads every block; returns the real frames concatenated (interleaved
    // stereo) and checks the padding of the last block.
    static std::vector<int16_t> readAll(RecordingReader& r) {
        std::vector<int16_t> all;
        std::vector<int16_t> block(2 * r.framesPerBlock());
        bool sawPartial = false;
        while (r.nextBlock(block.data())) {
            EXPECT_FALSE(sawPartial) << "a partial block before the end";
            const int real = r.lastBlockFrames();
            EXPECT_GT(real, 0);
            EXPECT_LE(real, r.framesPerBlock());
            sawPartial = real < r.framesPerBlock();
            all.insert(all.end(), block.begin(), block.begin() + 2 * real);
            for (size_t i = 2 * size_t(real); i < block.size(); ++i) {
                if (block[i] != 0) {
                    ADD_FAILURE() << "padding not zero at " << i;
                    break;
                }
            }
        }
        return all;
    }

    testsupport::ScratchFolder scratch_{"sorae_recording_"};
    const fs::path dir_ = scratch_.path();
};

std::vector<int16_t> randomShorts(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<int16_t> v(n);
    for (auto& x : v) x = int16_t(int(rng() % 65536) - 32768);
    return v;
}

TEST(FloatSampleToInt16, ScalesRoundsAndClips) {
    EXPECT_EQ(floatSampleToInt16(0.0), 0);
    EXPECT_EQ(floatSampleToInt16(0.5), 16384);
    EXPECT_EQ(floatSampleToInt16(-1.0), -32768);
    EXPECT_EQ(floatSampleToInt16(1.0), 32767);  // +full scale does not wrap
    EXPECT_EQ(floatSampleToInt16(3.0), 32767);
    EXPECT_EQ(floatSampleToInt16(-7.5), -32768);
    EXPECT_EQ(floatSampleToInt16(100.4 / 32768.0), 100);
    EXPECT_EQ(floatSampleToInt16(-100.6 / 32768.0), -101);
    EXPECT_EQ(floatSampleToInt16(std::nan("")), 0);
    EXPECT_EQ(floatSampleToInt16(-INFINITY), -32768);
}

TEST_F(RecordingReaderTest, StereoAt48kIsDeliveredExactlyInHalfSecondBlocks) {
    const size_t frames = 2 * 24000 + 7200;
    const auto samples = randomShorts(2 * frames, 1);
    const auto file = writeShorts("s.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2, samples);
    RecordingReader r;
    ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
    EXPECT_EQ(r.framesPerBlock(), 24000);
    EXPECT_EQ(r.outputRate(), 48000);
    EXPECT_EQ(r.sourceFrames(), static_cast<long long>(frames));
    const auto all = readAll(r);
    EXPECT_EQ(r.blocksDelivered(), 3);
    EXPECT_EQ(r.lastBlockFrames(), 0);  // nothing after the end
    EXPECT_EQ(all, samples);
    EXPECT_EQ(r.error(), RecordingError::None);
}

TEST_F(RecordingReaderTest, MonoIsCopiedToBothChannelsAndLastBlockReportsRealFrames) {
    const size_t frames = 24000 + 10;
    const auto mono = randomShorts(frames, 2);
    const auto file = writeShorts("m.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 1, mono);
    RecordingReader r;
    ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
    std::vector<int16_t> block(2 * 24000);
    ASSERT_TRUE(r.nextBlock(block.data()));
    EXPECT_EQ(r.lastBlockFrames(), 24000);
    for (size_t i = 0; i < 24000; ++i) {
        ASSERT_EQ(block[2 * i], mono[i]);
        ASSERT_EQ(block[2 * i + 1], mono[i]);
    }
    ASSERT_TRUE(r.nextBlock(block.data()));
    EXPECT_EQ(r.lastBlockFrames(), 10);
    EXPECT_EQ(block[0], mono[24000]);
    EXPECT_EQ(block[19], mono[24009]);
    EXPECT_EQ(block[20], 0);
    EXPECT_FALSE(r.nextBlock(block.data()));
    EXPECT_EQ(r.error(), RecordingError::None);
}

// A 1 kHz tone at 11025 Hz comes out at 48 kHz as the same tone: right
// length, right frequency, same amplitude, and continuous across blocks.
TEST_F(RecordingReaderTest, OtherRatesAreResampledTo48kAsOneContinuousStream) {
    const int rate = 11025;
    const int frames = rate * 3;
    std::vector<int16_t> tone(frames);
    for (int n = 0; n < frames; ++n) tone[n] = int16_t(std::lrint(10000.0 * std::sin(2.0 * kPi * 1000.0 * n / rate)));
    const auto file = writeShorts("t.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, tone);
    RecordingReader r;
    ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
    EXPECT_EQ(r.sourceRate(), rate);
    const auto all = readAll(r);
    const long outFrames = long(all.size() / 2);
    EXPECT_NEAR(outFrames, 3 * 48000, 2);
    EXPECT_EQ(r.blocksDelivered(), 6);

    // compare with the ideal tone in the middle (away from the filter's
    // start and end), including both block boundaries at 1.0 s and 1.5 s
    double worst = 0.0;
    for (long n = 4800; n < outFrames - 4800; ++n) {
        const double ideal = 10000.0 * std::sin(2.0 * kPi * 1000.0 * n / 48000.0);
        worst = std::max(worst, std::abs(all[2 * n] - ideal));
        ASSERT_EQ(all[2 * n], all[2 * n + 1]);
    }
    EXPECT_LT(worst, 10.0);  // resampling error plus the source's rounding
}

TEST_F(RecordingReaderTest, FloatRecordingsAreScaledAndBroughtDownWhenBeyondFullScale) {
    struct Case {
        std::vector<float> samples;
        std::vector<int16_t> expected;
        int16_t filler;   // the 0.1 that pads the file to 100 frames
    };
    // Within full scale: x 32768, rounded, +1.0 just clipped. Beyond it (peak
    // 3.0) the whole file is scaled by 1/3 instead of clipping its peaks.
    const Case cases[] = {
        {{0.0f, 0.25f, -0.25f, 1.0f, -1.0f, 0.5f}, {0, 8192, -8192, 32767, -32768, 16384}, 3277},
        {{0.0f, 1.5f, -3.0f, 0.75f, 3.0f, -0.3f}, {0, 16384, -32768, 8192, 32767, -3277}, 1092},
    };
    for (const Case& c : cases) {
        std::vector<float> s = c.samples;
        s.resize(2 * 100, 0.1f);
        const auto file = writeFloats("f.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, s);
        RecordingReader r;
        ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
        std::vector<int16_t> block(2 * 24000);
        ASSERT_TRUE(r.nextBlock(block.data()));
        EXPECT_EQ(r.lastBlockFrames(), 100);
        EXPECT_EQ(std::vector<int16_t>(block.begin(), block.begin() + 6), c.expected);
        EXPECT_EQ(block[199], c.filler);
    }
}

TEST_F(RecordingReaderTest, OggVorbisIsReadAndResampled) {
    std::vector<float> s(44100 * 2);
    for (size_t n = 0; n < s.size(); ++n) s[n] = 0.5f * float(std::sin(2.0 * kPi * 2400.0 * n / 44100.0));
    SF_INFO probe{};
    probe.samplerate = 44100;
    probe.channels = 1;
    probe.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    if (!sf_format_check(&probe)) GTEST_SKIP() << "libsndfile built without Vorbis";
    const auto file = writeFloats("v.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, s);
    RecordingReader r;
    ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
    const auto all = readAll(r);
    EXPECT_NEAR(double(all.size() / 2), 2 * 48000.0, 4.0);
    double peak = 0.0;
    for (size_t n = 4800; n < all.size() / 2 - 4800; ++n) peak = std::max(peak, std::abs(double(all[2 * n])));
    EXPECT_NEAR(peak, 16384.0, 1000.0);  // Vorbis is lossy
}

TEST_F(RecordingReaderTest, QuadratureRecordingIsDeliveredUnresampledIn48000FrameBlocks) {
    const size_t frames = 48000 + 48000 / 3;
    const auto samples = randomShorts(2 * frames, 3);
    const auto file = writeShorts("iq.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 96000, 2, samples);
    RecordingReader r;
    ASSERT_TRUE(r.open(file, RecordingKind::Quadrature)) << r.errorMessage();
    EXPECT_EQ(r.framesPerBlock(), 48000);
    EXPECT_EQ(r.outputRate(), 96000);
    EXPECT_EQ(readAll(r), samples);
    EXPECT_EQ(r.blocksDelivered(), 2);
}

TEST_F(RecordingReaderTest, QuadratureNeedsStereoOfAtLeast48k) {
    const auto at48 = writeShorts("iq44.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, randomShorts(2000, 4));
    const auto mono = writeShorts("iqmono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 96000, 1, randomShorts(2000, 5));
    for (const auto& file : {at48, mono}) {
        RecordingReader r;
        EXPECT_FALSE(r.open(file, RecordingKind::Quadrature));
        EXPECT_EQ(r.error(), RecordingError::Unsupported);
        EXPECT_NE(r.errorMessage().find(file), std::string::npos) << r.errorMessage();
        EXPECT_NE(r.errorMessage().find("48000"), std::string::npos) << r.errorMessage();
        EXPECT_FALSE(r.isOpen());
        std::vector<int16_t> block(2 * 48000, 7);
        EXPECT_FALSE(r.nextBlock(block.data()));
        EXPECT_EQ(block[0], 7);
    }
    // the same 96 kHz stereo file is fine as audio (resampled to 48 kHz)
    const auto iq = writeShorts("iq96.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 96000, 2, randomShorts(96000, 6));
    RecordingReader r;
    EXPECT_TRUE(r.open(iq, RecordingKind::Audio)) << r.errorMessage();
    EXPECT_EQ(r.framesPerBlock(), 24000);
}

TEST_F(RecordingReaderTest, UnreadableFilesGiveAnErrorNamingTheFile) {
    std::string wav;
    {
        const auto good = writeShorts("good.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, randomShorts(4000, 7));
        std::ifstream in(good, std::ios::binary);
        wav.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::mt19937 rng(8);
    std::string garbage(5000, '\0');
    for (char& c : garbage) c = char(rng());
    std::string badFmt = wav;
    badFmt[22] = 0;  // channels = 0
    badFmt[23] = 0;

    struct Case {
        std::string file;
        RecordingError expected;
    };
    const std::vector<Case> cases = {
        {path("missing.wav"), RecordingError::CannotOpen},
        {dir_.string(), RecordingError::CannotOpen},  // a folder
        {writeBytes("empty.wav", ""), RecordingError::CannotOpen},
        {writeBytes("garbage.wav", garbage), RecordingError::CannotOpen},
        {writeBytes("riff-only.wav", wav.substr(0, 20)), RecordingError::CannotOpen},
        {writeBytes("zero-channels.wav", badFmt), RecordingError::CannotOpen},
        {writeShorts("three.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 3, randomShorts(300, 9)),
         RecordingError::Unsupported},
        {writeShorts("slow.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 500, 1, randomShorts(300, 10)),
         RecordingError::Unsupported},
        {writeShorts("nothing.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, {}), RecordingError::Empty},
    };
    for (const Case& c : cases) {
        RecordingReader r;
        EXPECT_FALSE(r.open(c.file, RecordingKind::Audio)) << c.file;
        EXPECT_EQ(r.error(), c.expected) << c.file << ": " << r.errorMessage();
        EXPECT_NE(r.errorMessage().find(c.file), std::string::npos) << r.errorMessage();
        std::vector<int16_t> block(2 * 24000);
        EXPECT_FALSE(r.nextBlock(block.data()));
    }
}

// A recording cut off in the middle of its data (a crash during recording)
// still gives what it holds.
TEST_F(RecordingReaderTest, TruncatedRecordingDeliversWhatItHolds) {
    const auto samples = randomShorts(30000, 11);
    const auto good = writeShorts("whole.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, samples);
    std::ifstream in(good, std::ios::binary);
    std::string wav(std::istreambuf_iterator<char>(in), {});
    const size_t keepFrames = 25001;
    const auto cut = writeBytes("cut.wav", wav.substr(0, 44 + 2 * keepFrames + 1));  // odd byte too
    RecordingReader r;
    ASSERT_TRUE(r.open(cut, RecordingKind::Audio)) << r.errorMessage();
    const auto all = readAll(r);
    ASSERT_EQ(all.size(), 2 * keepFrames);
    for (size_t i = 0; i < keepFrames; ++i) ASSERT_EQ(all[2 * i], samples[i]);
}

// Damage inside a FLAC stream is skipped: the blocks before it are
// delivered, the damaged stretch comes as silence of its own length (so the
// timing stays), everything after it as it was recorded, and gaps() lists
// the stretch.
TEST_F(RecordingReaderTest, DamageInAStreamIsSkippedAndListed) {
    for (int rate : {48000, 44100}) {  // read as int16 directly, and through the resampler
        std::mt19937 rng(14);
        std::vector<int16_t> noisy(size_t(rate) * 4);
        for (size_t n = 0; n < noisy.size(); ++n) {
            noisy[n] = int16_t(12000.0 * std::sin(0.1 * double(n)) + double(rng() % 4000));
        }
        const auto file = writeShorts("c" + std::to_string(rate) + ".flac",
                                      SF_FORMAT_FLAC | SF_FORMAT_PCM_16, rate, 1, noisy);
        std::string bytes;
        {
            std::ifstream in(file, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 4000; ++i) bytes[i] = char(rng());
        writeBytes("c" + std::to_string(rate) + ".flac", bytes);

        RecordingReader r;
        ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
        const auto all = readAll(r);
        EXPECT_EQ(r.error(), RecordingError::None) << r.errorMessage();
        EXPECT_NEAR(double(all.size() / 2), 4.0 * 48000.0, 48.0) << rate;
        ASSERT_FALSE(r.gaps().empty()) << rate;
        const RecordingReader::Gap gap = r.gaps().front();
        EXPECT_GT(gap.atSeconds, 0.5) << rate;
        EXPECT_LT(gap.atSeconds, 2.5) << rate;
        EXPECT_LE(gap.lengthSeconds, 1.0) << rate;
        if (rate == 48000) {
            // After the gap every sample lies where it was recorded.
            const size_t after = size_t((gap.atSeconds + gap.lengthSeconds) * rate) + 1;
            for (size_t i = after; i < noisy.size(); i += 97) ASSERT_EQ(all[2 * i], noisy[i]) << i;
        }
    }
}

// Damage that runs to the end leaves nothing to go on from: what came
// before it is delivered, then the read error (found at once, not after a
// search through the damaged bytes).
TEST_F(RecordingReaderTest, DamageToTheEndEndsWithReadFailed) {
    std::mt19937 rng(15);
    std::vector<int16_t> noisy(48000 * 4);
    for (size_t n = 0; n < noisy.size(); ++n) noisy[n] = int16_t(12000.0 * std::sin(0.1 * double(n)) + double(rng() % 4000));
    const auto file = writeShorts("tail.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 1, noisy);
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (size_t i = bytes.size() / 2; i < bytes.size(); ++i) bytes[i] = char(rng());
    writeBytes("tail.flac", bytes);
    RecordingReader r;
    ASSERT_TRUE(r.open(file, RecordingKind::Audio)) << r.errorMessage();
    const auto all = readAll(r);
    EXPECT_GT(all.size(), 0u);
    EXPECT_LT(all.size() / 2, noisy.size() * 2 / 3);
    EXPECT_EQ(r.error(), RecordingError::ReadFailed);
    EXPECT_NE(r.errorMessage().find(file), std::string::npos) << r.errorMessage();
}

TEST_F(RecordingReaderTest, ReopeningStartsAfresh) {
    const auto a = writeShorts("a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, randomShorts(30000, 12));
    const auto b = writeShorts("b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, randomShorts(100, 13));
    RecordingReader r;
    ASSERT_TRUE(r.open(a, RecordingKind::Audio));
    std::vector<int16_t> block(2 * 24000);
    ASSERT_TRUE(r.nextBlock(block.data()));  // leaves 6000 frames queued
    EXPECT_FALSE(r.open(path("none.wav"), RecordingKind::Audio));
    EXPECT_FALSE(r.nextBlock(block.data()));
    ASSERT_TRUE(r.open(b, RecordingKind::Audio));
    EXPECT_EQ(r.error(), RecordingError::None);
    ASSERT_TRUE(r.nextBlock(block.data()));
    EXPECT_EQ(r.lastBlockFrames(), 100);
    EXPECT_EQ(r.blocksDelivered(), 1);
}

}  // namespace
}  // namespace sorae

namespace sorae {
namespace {

// A receiver's 96 kHz recording whose carrier is found a little off -24 kHz
// is still taken as the IF output and delivered bit for bit, as live capture
// would give it; I and Q swapped on request are swapped back exactly.
TEST_F(RecordingReaderTest, QuadratureAtTheIfIsFoundAndPassedThroughUntouched) {
    std::mt19937 rng(9);
    std::vector<int16_t> iq(2 * 96000 * 2);
    double phase = 0.0;
    for (size_t n = 0; n < iq.size() / 2; ++n) {
        const double deviation = 9000.0 * std::sin(2.0 * kPi * 2400.0 * double(n) / 96000.0);
        phase += 2.0 * kPi * (-23880.0 + deviation) / 96000.0;
        iq[2 * n] = int16_t(8000.0 * std::cos(phase) + double(rng() % 300));
        iq[2 * n + 1] = int16_t(8000.0 * std::sin(phase) + double(rng() % 300));
    }
    std::vector<int16_t> swapped(iq);
    for (size_t n = 0; n < iq.size(); n += 2) std::swap(swapped[n], swapped[n + 1]);
    const auto plain = writeShorts("if.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 96000, 2, iq);
    const auto mirrored = writeShorts("ifswap.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 96000, 2, swapped);
    for (const auto& [file, swap] : {std::pair{plain, false}, std::pair{mirrored, true}}) {
        RecordingReader r;
        QuadratureOptions options;
        options.swap = swap;
        ASSERT_TRUE(r.open(file, RecordingKind::Quadrature, options)) << r.errorMessage();
        EXPECT_EQ(r.carrierSource(), CarrierSource::Found);
        EXPECT_EQ(r.carrierHz(), -24000.0);
        EXPECT_EQ(readAll(r), iq) << swap;
    }
}

}  // namespace
}  // namespace sorae
