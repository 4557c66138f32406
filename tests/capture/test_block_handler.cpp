// The block handler's order of work, warm-up, audio path and status texts,
// observed through a recording set of hooks.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "capture/block_handler.h"

using namespace sorae;

namespace {

class RecordingHooks : public BlockHooks {
public:
    std::vector<std::string> calls;
    bool reception = false;
    bool sync = false;
    bool monitor = false;
    bool dialog = false;
    bool endReceptionOnDecode = false;
    std::vector<double> quadratureInput;  // first I sample, first Q sample, frames
    std::vector<std::int16_t> played;
    double firstEnvelopeIn = 0.0;
    std::string panels[7];

    void schedulerTick() override { calls.push_back("tick"); }
    bool receptionActive() const override { return reception; }
    bool syncLocked() const override { return sync; }
    bool monitorOn() const override { return monitor; }
    bool inputDialogShowing() const override { return dialog; }
    void demodulateQuadrature(const double* l, const double* r, int frames, double gain,
                              double* out) override {
        calls.push_back("quadrature");
        quadratureInput = {l[0], r[0], double(frames), gain, l[frames - 1], r[frames - 1]};
        for (int k = 0; k < frames / 2; ++k) out[k] = 100.0 + k;
    }
    void demodulateEnvelope(double* out) override {
        calls.push_back("envelope");
        firstEnvelopeIn = out[0];
    }
    void drawLevelMeter(const double*, int samples) override {
        calls.push_back("meter:" + std::to_string(samples));
    }
    void decodeBlock(const double*, int samples) override {
        calls.push_back("decode:" + std::to_string(samples));
        if (endReceptionOnDecode) reception = false;
    }
    void playMonitor(const std::int16_t* s, int count) override {
        calls.push_back("monitor:" + std::to_string(count));
        played.assign(s, s + count);
    }
    void setStatusPanel(int panel, std::string_view text) override {
        panels[panel] = std::string(text);
        calls.push_back("panel" + std::to_string(panel) + "=" + std::string(text));
    }
};

// Frames whose left sample is the frame number's low bits and right its negative.
std::vector<std::int16_t> rampBlock(int frames, int offset = 0) {
    std::vector<std::int16_t> block(std::size_t(frames) * 2);
    for (int j = 0; j < frames; ++j) {
        block[std::size_t(2 * j)] = std::int16_t((j + offset) % 30000);
        block[std::size_t(2 * j + 1)] = std::int16_t(-((j + offset) % 30000));
    }
    return block;
}

struct Fixture {
    RecordingHooks hooks;
    BlockHandler handler{hooks};
    Fixture() {
        handler.setWarmUpCounter(BlockHandler::kWarmUpLimit + 1);  // past the warm-up
    }
};

}  // namespace

TEST(CaptureFormat, FollowsTheSignalType) {
    EXPECT_EQ(captureFormatFor(0).sampleRate, 48000);
    EXPECT_EQ(captureFormatFor(0).framesPerBlock, 24000);
    EXPECT_EQ(captureFormatFor(0).bytesPerBlock(), 96000);
    EXPECT_EQ(captureFormatFor(1).sampleRate, 96000);
    EXPECT_EQ(captureFormatFor(2).framesPerBlock, 48000);
    EXPECT_EQ(captureFormatFor(2).bytesPerBlock(), 192000);
    EXPECT_EQ(captureFormatFor(1).channels, 2);
    EXPECT_DOUBLE_EQ(signalGainLinear(-20), 10.0);
    EXPECT_DOUBLE_EQ(signalGainLinear(0), 1.0);
    EXPECT_NEAR(signalGainLinear(6), 0.501187, 1e-6);
}

TEST(BlockHandler, WarmUpSkipsOneBlockAtStartAndThirtyThreeAfterAChange) {
    RecordingHooks hooks;
    BlockHandler handler(hooks);
    const auto block = rampBlock(24000);

    handler.handleBlock(block.data(), 24000);
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"tick"}) << "first block after start-up is ignored";
    hooks.calls.clear();
    handler.handleBlock(block.data(), 24000);
    EXPECT_EQ(hooks.calls.front(), "tick");
    EXPECT_EQ(hooks.calls.back(), "panel3=");

    handler.setWarmUpCounter(0);  // device or signal type changed
    int ignored = 0;
    for (int i = 0; i < 40; ++i) {
        hooks.calls.clear();
        handler.handleBlock(block.data(), 24000);
        ASSERT_EQ(hooks.calls.front(), "tick") << "the scheduler ticks even while warming up";
        if (hooks.calls.size() == 1) ++ignored;
    }
    EXPECT_EQ(ignored, 33);
}

TEST(BlockHandler, AudioPathUsesTheLeftChannelTimesGainAndMonitorClips) {
    Fixture f;
    f.handler.setSignalGain(-20);  // +20 dB
    f.hooks.monitor = true;
    std::vector<std::int16_t> block(24000 * 2, 0);
    block[0] = 100;      // -> 1000
    block[1] = 12345;    // right channel: not used
    block[2] = 4000;     // -> 40000, clipped
    block[4] = -4000;    // -> -40000, clipped
    block[6] = -7;       // -> -70
    block[2 * 23999] = 3;
    f.handler.handleBlock(block.data(), 24000);

    EXPECT_DOUBLE_EQ(f.handler.demodOutput()[0], 1000.0);
    EXPECT_DOUBLE_EQ(f.handler.demodOutput()[1], 40000.0);
    EXPECT_DOUBLE_EQ(f.handler.demodOutput()[23999], 30.0);
    EXPECT_DOUBLE_EQ(f.handler.captureChannel(1)[0], 12345.0);
    ASSERT_EQ(f.hooks.played.size(), 24000u);
    EXPECT_EQ(f.hooks.played[0], 1000);
    EXPECT_EQ(f.hooks.played[1], 32767);
    EXPECT_EQ(f.hooks.played[2], -32768);
    EXPECT_EQ(f.hooks.played[3], -70);
    EXPECT_EQ(f.hooks.played[23999], 30);
    EXPECT_EQ(f.hooks.calls, (std::vector<std::string>{"tick", "monitor:24000", "panel2=", "panel3="}));
}

TEST(BlockHandler, MonitorTruncatesTowardZero) {
    Fixture f;
    f.handler.setSignalGain(6);  // x 0.501187...
    f.hooks.monitor = true;
    std::vector<std::int16_t> block(24000 * 2, 0);
    block[0] = 3;    // 1.50 -> 1
    block[2] = -3;   // -1.50 -> -1
    block[4] = 1;    // 0.50 -> 0
    f.handler.handleBlock(block.data(), 24000);
    EXPECT_EQ(f.hooks.played[0], 1);
    EXPECT_EQ(f.hooks.played[1], -1);
    EXPECT_EQ(f.hooks.played[2], 0);
}

TEST(BlockHandler, StagesRunInOrderForEachCombinationOfDialogAndReception) {
    struct Case {
        bool dialog, reception, sync;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {false, false, false, {"tick", "panel2=", "panel3="}},
        {false, true, false, {"tick", "envelope", "decode:12000", "panel2=SCAN", "panel3="}},
        {false, true, true, {"tick", "envelope", "decode:12000", "panel2=SCAN", "panel3=SYNC"}},
        {true, false, true, {"tick", "envelope", "meter:12000", "panel2=", "panel3="}},
        {true, true, true,
         {"tick", "envelope", "meter:12000", "decode:12000", "panel2=SCAN", "panel3=SYNC"}},
    };
    const auto block = rampBlock(24000);
    for (const auto& c : cases) {
        Fixture f;
        f.hooks.dialog = c.dialog;
        f.hooks.reception = c.reception;
        f.hooks.sync = c.sync;
        f.handler.handleBlock(block.data(), 24000);
        EXPECT_EQ(f.hooks.calls, c.expected) << "dialog " << c.dialog << " reception " << c.reception;
    }
}

TEST(BlockHandler, StatusIsClearedWhenTheDecoderEndsTheReception) {
    Fixture f;
    f.hooks.reception = true;
    f.hooks.sync = true;
    f.hooks.endReceptionOnDecode = true;  // the line store filled up
    const auto block = rampBlock(24000);
    f.handler.handleBlock(block.data(), 24000);
    EXPECT_EQ(f.hooks.panels[2], "");
    EXPECT_EQ(f.hooks.panels[3], "");
}

TEST(BlockHandler, QuadratureInputIsDemodulatedOnlyWhenSomeoneListens) {
    Fixture f;
    f.handler.setSignalType(1);
    f.handler.setSignalGain(-6);
    const auto block = rampBlock(48000, 7);

    f.handler.handleBlock(block.data(), 48000);
    EXPECT_EQ(f.hooks.calls, (std::vector<std::string>{"tick", "panel2=", "panel3="}));

    for (int who = 0; who < 3; ++who) {
        Fixture g;
        g.handler.setSignalType(2);
        g.handler.setSignalGain(-6);
        g.hooks.monitor = who == 0;
        g.hooks.dialog = who == 1;
        g.hooks.reception = who == 2;
        g.handler.handleBlock(block.data(), 48000);
        ASSERT_EQ(g.hooks.calls.at(1), "quadrature") << who;
        ASSERT_EQ(g.hooks.quadratureInput.size(), 6u);
        EXPECT_EQ(g.hooks.quadratureInput[0], 7.0);
        EXPECT_EQ(g.hooks.quadratureInput[1], -7.0);
        EXPECT_EQ(g.hooks.quadratureInput[2], 48000.0);
        EXPECT_DOUBLE_EQ(g.hooks.quadratureInput[3], signalGainLinear(-6));
        EXPECT_EQ(g.hooks.quadratureInput[4], double((47999 + 7) % 30000)) << "all 48000 frames are read";
        EXPECT_DOUBLE_EQ(g.handler.demodOutput()[0], 100.0);
        if (who == 0) {
            EXPECT_EQ(g.hooks.played[5], 105) << "the monitor plays the demodulated signal";
        } else {
            EXPECT_EQ(g.hooks.firstEnvelopeIn, 100.0) << "the envelope gets the demodulated signal";
        }
    }
}

TEST(BlockHandler, ShortBlocksArePaddedAndLongBlocksCut) {
    Fixture f;
    const auto block = rampBlock(30000, 1);
    f.handler.handleBlock(block.data(), 30000);  // more than a 48 kHz block
    EXPECT_EQ(f.handler.captureChannel(0)[23999], 24000.0);
    f.handler.handleBlock(block.data(), 10);
    EXPECT_EQ(f.handler.captureChannel(0)[9], 10.0);
    EXPECT_EQ(f.handler.captureChannel(0)[10], 0.0);
    EXPECT_EQ(f.handler.demodOutput()[23999], 0.0);
}

namespace {

// One line's envelope: `whiteShare` of it at `white` (space B, sync
// pulses), the rest at a third of that.
std::vector<double> lineEnvelope(double white, double whiteShare = 0.04) {
    std::vector<double> e(BlockHandler::kEnvelopeSamples, white / 3.0);
    const int whiteSamples = int(whiteShare * double(e.size()));
    for (int i = 0; i < whiteSamples; ++i) e[std::size_t(3000 + i)] = white;
    return e;
}

}  // namespace

TEST(AutoLevel, BringsWhiteToTheDesignLevelAndFollowsChanges) {
    struct Case {
        double white;       // white of the incoming envelope
        double thenWhite;   // white after the change
        int blocksAfter;    // blocks given to follow the change
    };
    const Case cases[] = {
        {30.0, 30.0, 1},        // 0.02 x: steady
        {1530.0, 1530.0, 1},    // the design level: 0 dB
        {30000.0, 30000.0, 1},  // 20 x
        {30.0, 3000.0, 6},      // a loud signal after a quiet start: followed quickly
        {3000.0, 1000.0, 160},  // a fall: followed slowly, but followed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.white);
        AutoLevel level;
        std::vector<double> e = lineEnvelope(c.white);
        level.process(e.data(), int(e.size()));
        EXPECT_NEAR(e[3000], AutoLevel::kWhiteLevel, 0.05 * AutoLevel::kWhiteLevel);
        for (int b = 0; b < c.blocksAfter; ++b) {
            e = lineEnvelope(c.thenWhite);
            level.process(e.data(), int(e.size()));
        }
        EXPECT_NEAR(e[3000], AutoLevel::kWhiteLevel, 0.1 * AutoLevel::kWhiteLevel);
    }
}

TEST(AutoLevel, IgnoresClicksAndSilenceAndClampsTheScaledEnvelope) {
    AutoLevel level;
    std::vector<double> e = lineEnvelope(153.0);
    level.process(e.data(), int(e.size()));
    const double gain = level.gain();
    EXPECT_NEAR(level.gainDb(), 20.0, 0.5);

    // A 5 ms click at 100 x the signal: the gain stays, the click is clamped.
    e = lineEnvelope(153.0);
    std::fill(e.begin() + 100, e.begin() + 220, 15300.0);
    level.process(e.data(), int(e.size()));
    EXPECT_NEAR(level.gain(), gain, 0.01 * gain);
    EXPECT_DOUBLE_EQ(e[150], AutoLevel::kClampLevel);

    const double before = level.gain();
    std::vector<double> silence(BlockHandler::kEnvelopeSamples, 0.0);
    level.process(silence.data(), int(silence.size()));
    EXPECT_DOUBLE_EQ(level.gain(), before);
}

TEST(BlockHandler, AutomaticLevelActsBetweenEnvelopeAndDecoder) {
    struct EnvelopeHooks : RecordingHooks {
        double decoded = 0.0;
        void demodulateEnvelope(double* out) override {
            RecordingHooks::demodulateEnvelope(out);
            const std::vector<double> e = lineEnvelope(15300.0);
            std::copy(e.begin(), e.end(), out);
        }
        void decodeBlock(const double* envelope, int samples) override {
            RecordingHooks::decodeBlock(envelope, samples);
            decoded = envelope[3000];
        }
    } hooks;
    hooks.reception = true;
    BlockHandler handler(hooks);
    handler.setWarmUpCounter(BlockHandler::kWarmUpLimit + 1);
    const auto block = rampBlock(24000);

    EXPECT_FALSE(handler.autoLevel());
    handler.handleBlock(block.data(), 24000);
    EXPECT_EQ(hooks.decoded, 15300.0);  // off: untouched
    EXPECT_EQ(handler.appliedLevelDb(), 0.0);

    handler.setAutoLevel(true);
    handler.handleBlock(block.data(), 24000);
    EXPECT_NEAR(hooks.decoded, AutoLevel::kWhiteLevel, 0.05 * AutoLevel::kWhiteLevel);
    EXPECT_NEAR(handler.appliedLevelDb(), -20.0, 0.5);
}
