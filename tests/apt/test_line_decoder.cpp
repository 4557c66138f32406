// DecodeBlock on hand-made envelopes: confirmation, line cutting and
// averaging, storage, the hooks and the end of the store.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "apt/line_decoder.h"
#include "apt_chain.h"
#include "synthetic_envelope.h"

namespace sorae {
namespace {

struct RecordingHooks : DecodeHooks {
    std::vector<std::string> calls;
    std::vector<double> lastA, lastB;
    int lastDirection = -1;
    std::string lastStatus;
    void sensorStatusChanged(const std::string& text) override {
        calls.push_back("sensor");
        lastStatus = text;
    }
    void liveLine(const double* a, const double* b, int direction) override {
        calls.push_back("live");
        lastA.assign(a, a + kWordsPerChannel);
        lastB.assign(b, b + kWordsPerChannel);
        lastDirection = direction;
    }
    void composeScreen(bool showB) override { calls.push_back(showB ? "screenB" : "screenA"); }
    void storeFull() override { calls.push_back("full"); }
};

class LineDecoderTest : public ::testing::Test {
protected:
    std::unique_ptr<LineStore> store = std::make_unique<LineStore>();
    LineDecoder decoder{*store};
    DecodeContext context;

    DecodeResult feedSyncAt(int syncStart, int line, DecodeHooks* hooks = nullptr) {
        const auto block = test::blockWithSyncAt(syncStart, line);
        return decoder.decodeBlock(block.data(), context, hooks);
    }
};

using test::correlation;

TEST_F(LineDecoderTest, PositionsThatDriftApartNeverConfirm) {
    decoder.resetForNewPass();
    // the decoder reports 9 samples after the sync's first sample
    auto r = feedSyncAt(91, 0);    // 100
    EXPECT_EQ(r.rawPosition, 100);
    EXPECT_EQ(decoder.agreeCount(), 0);
    r = feedSyncAt(99, 1);         // 108: agrees with 100
    EXPECT_EQ(r.rawPosition, 108);
    EXPECT_EQ(decoder.agreeCount(), 1);
    EXPECT_FALSE(r.syncLocked);
    r = feedSyncAt(86, 2);         // 95: 13 from 108
    EXPECT_EQ(r.rawPosition, 95);
    EXPECT_EQ(decoder.agreeCount(), 0);
    EXPECT_FALSE(r.syncLocked);
    EXPECT_EQ(decoder.lineOffset(), 0);
    EXPECT_EQ(store->firstSyncLine, kNoSyncLine);
}

TEST_F(LineDecoderTest, ThirdAgreeingBlockLocksAndTheFirstDisagreementDropsIt) {
    decoder.resetForNewPass();
    EXPECT_FALSE(feedSyncAt(91, 0).syncLocked);    // 100
    EXPECT_FALSE(feedSyncAt(96, 1).syncLocked);    // 105
    auto r = feedSyncAt(101, 2);                   // 110
    EXPECT_TRUE(r.syncLocked);
    EXPECT_TRUE(decoder.syncLocked());
    EXPECT_EQ(decoder.lineOffset(), 110);
    EXPECT_EQ(store->firstSyncLine, 2);   // this block's line, cut at the confirmed offset
    EXPECT_EQ(store->lastSyncLine, 1);
    EXPECT_EQ(store->lineCount, 3);


    r = feedSyncAt(111, 3);                        // 120: exactly 10 away, still locked
    EXPECT_TRUE(r.syncLocked);
    EXPECT_EQ(decoder.lineOffset(), 120);
    EXPECT_EQ(store->firstSyncLine, 2);
    EXPECT_EQ(store->lastSyncLine, 2);

    r = feedSyncAt(122, 4);                        // 131: 11 away
    EXPECT_FALSE(r.syncLocked);
    EXPECT_EQ(decoder.agreeCount(), 0);
    EXPECT_EQ(decoder.lineOffset(), 120);          // lines are still cut here
    EXPECT_EQ(store->lastSyncLine, 2);
}

TEST(LinePositions, AgreeAcrossTheBlockEdge) {
    EXPECT_EQ(LineDecoder::positionDistance(11999, 3), 4);
    EXPECT_EQ(LineDecoder::positionDistance(3, 11999), 4);
    EXPECT_EQ(LineDecoder::positionDistance(100, 110), 10);
    EXPECT_EQ(LineDecoder::positionDistance(0, 6000), 6000);
    EXPECT_EQ(LineDecoder::positionDistance(5, 11990), 15);
}

TEST_F(LineDecoderTest, InputWithoutAptNeverConfirms) {
    // silence, a plain tone's flat envelope and noise: every block finds some
    // step, and constant input always finds the same one
    decoder.resetForNewPass();
    std::vector<double> flat(kEnvelopeBlockSamples, 0.0), noisy(kEnvelopeBlockSamples);
    std::uint32_t h = 12345;
    for (int b = 0; b < 30; ++b) {
        std::fill(flat.begin(), flat.end(), b < 10 ? 0.0 : 1530.0);
        for (double& x : noisy) {
            h = h * 1664525u + 1013904223u;
            x = double(h >> 8) / double(1u << 24) * 1000.0;
        }
        const auto r = decoder.decodeBlock(b < 20 ? flat.data() : noisy.data(), context, nullptr);
        EXPECT_FALSE(r.syncLocked) << b;
        EXPECT_FALSE(r.syncCandidate) << b;
    }
    EXPECT_EQ(store->firstSyncLine, kNoSyncLine);
}

TEST_F(LineDecoderTest, OffsetZeroStoresTheWholePreviousBlockAveragedToWords) {
    decoder.resetForNewPass();
    std::vector<double> ramp(kEnvelopeBlockSamples);
    for (int k = 0; k < kEnvelopeBlockSamples; ++k) ramp[k] = k;
    std::vector<double> noise(kEnvelopeBlockSamples);
    for (int k = 0; k < kEnvelopeBlockSamples; ++k) noise[k] = (k * 7919) % 1000;
    decoder.decodeBlock(ramp.data(), context, nullptr);
    decoder.decodeBlock(noise.data(), context, nullptr);
    ASSERT_EQ(decoder.lineOffset(), 0);
    ASSERT_EQ(store->lineCount, 2);

    // line 1 is the ramp: each word is the middle of its group of samples
    auto word = [&](int w) {
        return w < kWordsPerChannel ? store->at(0, w, 1) : store->at(1, w - kWordsPerChannel, 1);
    };
    EXPECT_EQ(word(0), 0.0);            // the first sample, unaveraged
    EXPECT_EQ(word(1), 2.0);            // samples 0..4
    EXPECT_EQ(word(2), 7.5);            // 5..10
    EXPECT_EQ(word(5), 25.0);           // 23..27
    EXPECT_EQ(word(6), 30.5);           // 28..33
    EXPECT_EQ(word(1040), (5994 + 5999) / 2.0);
    EXPECT_EQ(word(2079), (11988 + 11993) / 2.0);   // 11994..11999 unused
    int fives = 0, sixes = 0;
    for (int w = 2; w < kWordsPerLine; ++w) {
        const int start = (75 * (w - 1)) / 13, end = (75 * w) / 13;
        (end - start == 5 ? fives : sixes) += 1;
        EXPECT_DOUBLE_EQ(word(w), (start + end - 1) / 2.0) << w;
    }
    EXPECT_EQ(fives + sixes, 2078);
    // line 0 was cut from the empty block before the first
    EXPECT_EQ(store->at(0, 500, 0), 0.0);
}

TEST_F(LineDecoderTest, LockedLinesMatchTheirSourceAndReachTheHooksInOrder) {
    decoder.resetForNewPass();
    context.passDirection = 1;
    context.showChannelB = true;
    RecordingHooks hooks;
    const int syncStart = 3210;
    for (int line = 0; line < 40; ++line) {
        hooks.calls.clear();
        const auto r = feedSyncAt(syncStart, line, &hooks);
        EXPECT_EQ(r.syncLocked, line >= 2) << line;
        ASSERT_EQ(hooks.calls.size(), 2u);
        EXPECT_EQ(hooks.calls[0], "live");
        EXPECT_EQ(hooks.calls[1], "screenB");
        EXPECT_EQ(hooks.lastDirection, 1);
        for (int w = 0; w < kWordsPerChannel; w += 97) {
            EXPECT_EQ(hooks.lastA[w], store->at(0, w, line));
            EXPECT_EQ(hooks.lastB[w], store->at(1, w, line));
        }
    }
    EXPECT_EQ(store->firstSyncLine, 2);
    EXPECT_EQ(store->lastSyncLine, 38);

    // stored line L is source line L-1 cut 9 samples (about 1.56 words) late:
    // each stored word holds the end of one source word and the start of the next
    for (int line = 4; line < 40; line += 7) {
        const auto source = test::sourceLine(line - 1);
        for (int channel = 0; channel < 2; ++channel) {
            const int first = channel == 0 ? test::LineLayout::kImageA : test::LineLayout::kImageB;
            std::vector<double> got, want;
            for (int x = 2; x < test::LineLayout::kImageWords - 2; ++x) {
                got.push_back(store->at(channel, first - channel * kWordsPerChannel + x, line));
                want.push_back(0.44 * source[first + x] + 0.56 * source[first + x + 1]);
            }
            EXPECT_GT(correlation(got, want), 0.98) << line << " " << channel;
        }
    }
}

TEST_F(LineDecoderTest, SensorsAreNamedWithinTwoFramesOfLockAndCalibrated) {
    decoder.resetForNewPass();
    RecordingHooks hooks;
    int namedAt = -1;
    for (int line = 0; line < 2 + 2 * 128 + 16 && namedAt < 0; ++line) {
        hooks.calls.clear();
        feedSyncAt(500, line, &hooks);
        if (!hooks.calls.empty() && hooks.calls[0] == "sensor") namedAt = line;
    }
    ASSERT_GE(namedAt, 0);
    EXPECT_EQ(hooks.lastStatus, "CH 4 (IR)");
    const Telemetry& t = decoder.telemetry();
    EXPECT_EQ(t.sensorNameA, "CH 4 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 2 (VIS)");
    EXPECT_NEAR(test::kFullScale * t.calibrationGain - t.calibrationOffset, 1530.0, 1e-6);
    EXPECT_NEAR(0.0 * t.calibrationGain - t.calibrationOffset, 0.0, 1e-6);

    decoder.resetForNewPass();
    EXPECT_EQ(t.sensorNameA, "Senser Type");
    EXPECT_EQ(t.calibrationGain, 1.0);
    EXPECT_EQ(store->lineCount, 0);
    EXPECT_EQ(store->firstSyncLine, kNoSyncLine);
    EXPECT_EQ(store->lastSyncLine, 0);
    EXPECT_EQ(decoder.agreeCount(), 0);
    EXPECT_EQ(decoder.lineOffset(), 509);   // kept between passes
}

TEST_F(LineDecoderTest, TheStoreEndsThePassAtItsLastLine) {
    decoder.resetForNewPass();
    RecordingHooks hooks;
    const auto block = test::blockWithSyncAt(77, 5);
    int fullCalls = 0;
    for (int i = 0; i < kMaxLines; ++i) {
        hooks.calls.clear();
        const auto r = decoder.decodeBlock(block.data(), context, &hooks);
        ASSERT_TRUE(r.decoded);
        EXPECT_EQ(r.storeFull, i == kMaxLines - 1) << i;
        if (!hooks.calls.empty() && hooks.calls.back() == "full") ++fullCalls;
    }
    EXPECT_EQ(fullCalls, 1);
    EXPECT_EQ(store->lineCount, kMaxLines);
    EXPECT_EQ(hooks.calls.back(), "full");

    // a block that still arrives stores nothing and draws nothing
    hooks.calls.clear();
    const double before = store->at(1, 1039, kMaxLines - 1);
    const auto r = decoder.decodeBlock(block.data(), context, &hooks);
    EXPECT_FALSE(r.decoded);
    EXPECT_TRUE(r.storeFull);
    EXPECT_TRUE(hooks.calls.empty());
    EXPECT_EQ(store->lineCount, kMaxLines);
    EXPECT_EQ(store->at(1, 1039, kMaxLines - 1), before);

    decoder.resetForNewPass();
    EXPECT_TRUE(decoder.decodeBlock(block.data(), context, nullptr).decoded);
    EXPECT_EQ(store->lineCount, 1);
}

TEST_F(LineDecoderTest, BlocksWithNothingAboveZeroAreDecodedLikeAnyOther) {
    decoder.resetForNewPass();
    std::vector<double> negative(kEnvelopeBlockSamples, -0.25);
    std::vector<double> zero(kEnvelopeBlockSamples, 0.0);
    for (int i = 0; i < 3; ++i) {
        const auto r = decoder.decodeBlock(i == 1 ? zero.data() : negative.data(), context, nullptr);
        EXPECT_TRUE(r.decoded);
        EXPECT_GE(r.rawPosition, 0);
        EXPECT_LT(r.rawPosition, kEnvelopeBlockSamples);
    }
    EXPECT_EQ(store->at(0, 10, 2), 0.0);    // cut from the zero block
    EXPECT_EQ(store->at(0, 10, 1), -0.25);
}

}  // namespace
}  // namespace sorae
