// Passes made from known temperatures, sent as sound with noise, decoded
// as `decode` decodes a recording (or through the live chain) and
// calibrated: the 8x8 block means of the temperatures must come back to
// those of the scene, and every pixel must have one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <filesystem>
#include <unistd.h>

#include "apt/apt_chain.h"
#include "calibration/pass_calibration.h"
#include "recording/recording_decoder.h"
#include "testsignal/recording_writer.h"
#include "testsignal/thermal_scene.h"

namespace sorae {
namespace {

struct NoisyPass {
    const char* satellite;
    int sensor;          // 4 channel 4, 6 channel 3B
    double lowK, highK;
    double snrDb;
    double limitK;       // mean absolute error of the 8x8 block means
    bool recording = true;    // a recording through the decoder, as `decode` reads it; else the live chain
    bool iq = false;          // an I/Q recording (FM, whose chain bends near white)
};

class DecodedTemperatures : public ::testing::TestWithParam<NoisyPass> {};

TEST_P(DecodedTemperatures, BlockMeansComeBackToTheScene) {
    const NoisyPass& p = GetParam();
    constexpr int kLines = 660;
    const std::vector<double> scene = testsignal::MakeThermalScene(kLines, p.lowK, p.highK);
    const auto telemetry = testsignal::DefaultThermalTelemetry(p.sensor);
    auto words = testsignal::ThermalScenePicture(scene, 909, kLines, p.satellite, p.sensor, telemetry, nullptr);
    ASSERT_TRUE(words);
    testsignal::AptLineSource source(test::cloudPicture(kLines, 0.4), *words, 2, p.sensor);
    testsignal::ApplyThermalTelemetry(source, p.sensor, telemetry);
    testsignal::GeneratorOptions options;
    options.lines = kLines;
    options.snrDb = p.snrDb;
    options.seed = 7;
    if (p.iq) {
        options.kind = testsignal::SignalKind::IQ;
        options.sampleRate = 96000;
    }
    testsignal::AptSignalGenerator generator(source, options);
    test::ChainRun chain;
    if (p.recording) {
        // the way `decode` reads a recording: level set by itself, coherent detection
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("sorae-calib-" + std::to_string(::getpid()) + ".wav")).string();
        ASSERT_TRUE(testsignal::writeRecording(path, generator, testsignal::SampleFormat::Int16).ok);
        RecordingDecoder decoder(*chain.store);
        RecordingDecodeOptions o;
        o.path = path;
        o.quadrature = p.iq;
        const RecordingDecodeResult r = decoder.run(o);
        std::filesystem::remove(path);
        ASSERT_TRUE(r.ok) << r.error;
    } else {
        chain.run(generator);
    }
    const LineStore& store = *chain.store;
    ASSERT_NE(store.firstSyncLine, kNoSyncLine);

    const int first = store.firstSyncLine;
    const int rows = store.lastSyncLine - first;
    const PassCalibration pass = CalibratePass({&store, first, rows, 0, p.satellite, p.recording});
    const ChannelCalibration& ir = pass.channel[1];
    ASSERT_TRUE(ir.hasKelvin()) << ir.reason;
    const test::Alignment a = test::findAlignment(store, source, 0, first + 20);

    double sum = 0.0, signedSum = 0.0;
    int blocks = 0, withoutValue = 0;
    for (int row = 0; row + 8 <= rows; row += 8)
        for (int x = 8; x + 16 <= 909; x += 8) {
            double got = 0.0, want = 0.0;
            bool inside = true, valued = true;
            for (int dy = 0; dy < 8; ++dy)
                for (int dx = 0; dx < 8; ++dx) {
                    const long line = first + row + dy + a.lineShift;
                    const int column = x + dx + a.wordShift;
                    if (line < 0 || line >= kLines) {
                        inside = false;
                        continue;
                    }
                    const float k = ir.at(x + dx, row + dy);
                    valued = valued && std::isfinite(k);
                    got += k;
                    want += scene[std::size_t(line) * 909 + std::size_t(column)];
                }
            if (!inside) continue;
            // a block with a pixel left without a temperature would bias
            // what is left (it is the coldest, noisiest pixels that go)
            if (!valued) {
                ++withoutValue;
                continue;
            }
            sum += std::fabs(got - want) / 64.0;
            signedSum += (got - want) / 64.0;
            ++blocks;
        }
    EXPECT_EQ(withoutValue, 0);
    ASSERT_GT(blocks, 4000);
    const double mae = sum / blocks;
    std::printf("%s sensor %d, %.0f-%.0f K at %.0f dB%s: blackbody %.2f K, gain shrink %.2f, block MAE %.3f K (mean error %+.3f K) over %d blocks\n",
                p.satellite, p.sensor, p.lowK, p.highK, p.snrDb, !p.recording ? " (live chain)" : p.iq ? " (I/Q recording)" : " (recording)",
                pass.blackbodyKelvin, pass.lineGainShrink, mae,
                signedSum / blocks, blocks);
    EXPECT_LE(mae, p.limitK);
}

// The generator's SNR of a sound recording is the white subcarrier's power
// over the noise in the recording's whole band (0-24 kHz at 48 kHz); that
// of an I/Q recording is the FM carrier's over the noise at 96 kHz, where
// the FM gain leaves 0.26 K at 20 dB and 0.32 K at 10 dB.
//
// For sound, a block mean cannot be better than the subcarrier integrated
// over its 64 words: one word's matched-filter noise is
// sigma * sqrt(4160 / 24000), 25.5 words at 10 dB, 3.2 words over a block,
// and this scene's channel 4 takes 0.66 K a word, so an ideal decoder of
// the signal (the words with that noise, calibrated exactly) scores 0.53 K
// at 20 dB and 1.66 K at 10 dB. Block errors of 0.5 and 1.0 K are reached
// here at about 22 and 15 dB (the mean over seeds: 0.58 K at 20 dB, 1.75 K
// at 10 dB). The decoded picture also sits half a word off the transmitted
// grid (0.23 K at 80 dB, 0.08 K with the half word taken out).
//
// The limits are the figures measured with this seed (in brackets) and a
// little room.
INSTANTIATE_TEST_SUITE_P(
    Targets, DecodedTemperatures,
    ::testing::Values(NoisyPass{"NOAA 19", 4, 200.0, 320.0, 80.0, 0.3},          // (0.230)
                      NoisyPass{"NOAA 19", 4, 200.0, 320.0, 20.0, 0.66},         // (0.609)
                      NoisyPass{"NOAA 19", 4, 200.0, 320.0, 10.0, 2.0},          // (1.85)
                      NoisyPass{"NOAA 15", 6, 255.0, 310.0, 20.0, 0.8},          // (0.71)
                      // the live chain (envelope detector, hand-set gain)
                      NoisyPass{"NOAA 19", 4, 200.0, 320.0, 20.0, 0.66, false},  // (0.613)
                      // FM, SNR the carrier's over the noise in 96 kHz: its
                      // staircase bends near white, so no straight scale
                      // (0.43 K at 20 dB with one)
                      NoisyPass{"NOAA 19", 4, 200.0, 320.0, 20.0, 0.3, true, true},    // (0.26)
                      NoisyPass{"NOAA 19", 4, 200.0, 320.0, 10.0, 0.4, true, true}),   // (0.32)
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace sorae
