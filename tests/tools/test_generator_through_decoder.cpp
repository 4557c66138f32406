// The generated signal through the program's own demodulator, line decoder
// and telemetry: the sensors it is told to send are the ones named, and the
// calibration from its wedges maps its grey levels back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "apt/line_decoder.h"
#include "capture/demodulator.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/test_patterns.h"

using namespace sorae;
using namespace sorae::testsignal;

namespace {

struct Decoded {
    int firstLockedBlock = -1;
    int lockedBlocks = 0;
    int blocks = 0;
    std::string sensorA, sensorB;
    double gain = 0.0, offset = 0.0;
    std::unique_ptr<LineStore> store = std::make_unique<LineStore>();
};

// Feeds the recording as 16-bit samples, block by block, as the sound card would.
Decoded decode(AptSignalGenerator& g, double gainLinear) {
    Decoded d;
    Demodulator demodulator;
    LineDecoder decoder(*d.store);
    const bool iq = g.options().kind == SignalKind::IQ;
    const int frames = iq ? Demodulator::kFramesPerBlock96k : Demodulator::kFramesPerBlock48k;
    std::vector<double> block(std::size_t(frames) * g.channels()), left(frames), right(frames), out(24000);
    while (g.generate(block) == std::size_t(frames)) {
        if (iq) {
            for (int i = 0; i < frames; ++i) {
                left[i] = toInt16(block[2 * i]);
                right[i] = toInt16(block[2 * i + 1]);
            }
            demodulator.demodulateQuadrature(left.data(), right.data(), frames, gainLinear, out.data());
        } else {
            for (int i = 0; i < frames; ++i) out[i] = toInt16(block[i]) * gainLinear;
        }
        demodulator.demodulateEnvelope(out.data());
        if (decoder.decodeBlock(out.data(), DecodeContext{}, nullptr).syncLocked) {
            ++d.lockedBlocks;
            if (d.firstLockedBlock < 0) d.firstLockedBlock = d.blocks;
        }
        ++d.blocks;
    }
    d.sensorA = decoder.telemetry().sensorNameA;
    d.sensorB = decoder.telemetry().sensorNameB;
    d.gain = decoder.telemetry().calibrationGain;
    d.offset = decoder.telemetry().calibrationOffset;
    return d;
}

}  // namespace

TEST(GeneratorThroughDecoder, SensorsAndCalibrationComeOutAsSent) {
    struct Case { SignalKind kind; int sensorA, sensorB; double gain; std::optional<double> snr; };
    // I/Q at 17 kHz deviation reads 0.58 of the audio level; +4.6 dB of
    // input gain (slider -5) brings it back.
    for (const Case c : {Case{SignalKind::Audio, 2, 4, 1.0, std::nullopt}, Case{SignalKind::Audio, 6, 0, 1.0, 20.0},
                         Case{SignalKind::IQ, 1, 5, 1.7782794, 20.0}}) {
        GeneratorOptions o;
        o.kind = c.kind;
        o.sampleRate = c.kind == SignalKind::IQ ? 96000 : 48000;
        // Sampling starts in wedge 2 of the first frame, so the first aligned
        // history comes with the second frame and the confirmation with the
        // third: a channel sending sensor 1 needs it (the first, partial
        // history reads as "----").
        o.lines = 400;
        o.snrDb = c.snr;
        o.startFraction = 0.37;
        AptSignalGenerator g(AptLineSource(makeBarsPattern(300), makeGradientPattern(300), c.sensorA, c.sensorB), o);
        const Decoded d = decode(g, c.gain);
        const std::string what = std::string(c.kind == SignalKind::IQ ? "I/Q" : "audio") + " sensors " +
                                 std::to_string(c.sensorA) + "/" + std::to_string(c.sensorB);

        EXPECT_EQ(d.firstLockedBlock, 2) << what;   // sync on the third block
        EXPECT_EQ(d.lockedBlocks, d.blocks - 2) << what;
        EXPECT_EQ(d.sensorA, Telemetry::sensorName(c.sensorA)) << what;
        EXPECT_EQ(d.sensorB, Telemetry::sensorName(c.sensorB)) << what;

        // Bars of channel A, calibrated and scaled by 1/6, give their grey levels.
        const int line = 350;
        for (int bar = 0; bar < 8; ++bar) {
            double sum = 0.0;
            const int first = 86 + bar * 909 / 8 + 30;
            for (int w = first; w < first + 50; ++w) sum += d.store->at(0, w, line);
            const double level = (sum / 50 * d.gain - d.offset) / 6.0;
            EXPECT_NEAR(level, (bar * 255 + 3) / 7, 0.02 * 255) << what << " bar " << bar;
        }
    }
}
