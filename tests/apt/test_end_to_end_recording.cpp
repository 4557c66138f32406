// Recordings through the recording reader into the same chain: a receiver
// recording at 11025 Hz (resampled to 48 kHz) and a 96 kHz I/Q recording.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "apt_chain.h"
#include "capture/recording_reader.h"
#include "testsignal/recording_writer.h"

namespace sorae {
namespace {

using testsignal::GeneratorOptions;
using testsignal::SignalKind;

constexpr long kFirstLineNumber = 123;   // a telemetry frame starts just after the lock

struct RecordingCase {
    std::string name;
    SignalKind kind;
    int sampleRate;
    std::string extension;
};

void PrintTo(const RecordingCase& c, std::ostream* os) { *os << c.name; }

class RecordingEndToEnd : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(RecordingEndToEnd, DecodesLikeLiveInput) {
    const RecordingCase& c = GetParam();
    GeneratorOptions options;
    options.kind = c.kind;
    options.sampleRate = c.sampleRate;
    options.startFraction = 0.45;
    options.lines = 280;
    options.firstLineNumber = kFirstLineNumber;
    options.snrDb = 30.0;
    const testsignal::AptLineSource source(test::cloudPicture(200, 2.0), test::cloudPicture(200, 3.0),
                                           5, 1);
    testsignal::AptSignalGenerator generator(source, options);
    const std::string path = ::testing::TempDir() + "sorae_apt_" + c.name + c.extension;
    const auto written = testsignal::writeRecording(path, generator, testsignal::SampleFormat::Int16);
    ASSERT_TRUE(written.ok) << written.error;

    RecordingReader reader;
    ASSERT_TRUE(reader.open(path, c.kind == SignalKind::IQ ? RecordingKind::Quadrature
                                                           : RecordingKind::Audio))
        << reader.errorMessage();
    const int frames = reader.framesPerBlock();
    std::vector<std::int16_t> block(std::size_t(frames) * 2);
    std::vector<double> left(frames), right(frames), audio(Demodulator::kFramesPerBlock48k);

    test::ChainRun chain;
    chain.decoder->resetForNewPass();
    while (reader.nextBlock(block.data())) {
        for (int i = 0; i < frames; ++i) {
            left[i] = block[2 * i];
            right[i] = block[2 * i + 1];
        }
        if (c.kind == SignalKind::IQ)
            chain.demod->demodulateQuadrature(left.data(), right.data(), frames, 1.0, audio.data());
        else
            std::copy(left.begin(), left.end(), audio.begin());
        chain.decodeAudio(audio);
    }
    EXPECT_EQ(reader.error(), RecordingError::None) << reader.errorMessage();
    std::remove(path.c_str());
    ASSERT_GE(chain.results.size(), 270u);

    EXPECT_EQ(chain.firstLockedBlock(), 2);
    EXPECT_EQ(chain.unlockedBlocksFrom(2), 0);

    const LineStore& store = *chain.store;
    const auto a = test::findAlignment(store, source, kFirstLineNumber, 30);
    int poor = 0, compared = 0;
    double worst = 1.0;
    for (int line = 4; line < store.lineCount - 1; ++line)
        for (int channel = 0; channel < 2; ++channel) {
            const auto corr = test::halfCorrelation(store, source, kFirstLineNumber, line, channel, a);
            if (!corr) continue;
            ++compared;
            worst = std::min(worst, *corr);
            poor += *corr <= 0.98;
        }
    EXPECT_GT(compared, 400);
    EXPECT_EQ(poor, 0) << "worst " << worst;

    const Telemetry& t = chain.decoder->telemetry();
    EXPECT_EQ(t.sensorNameA, "CH 5 (IR)");
    EXPECT_EQ(t.sensorNameB, "CH 1 (VIS)");
}

INSTANTIATE_TEST_SUITE_P(
    Files, RecordingEndToEnd,
    ::testing::Values(RecordingCase{"Audio11025", SignalKind::Audio, 11025, ".wav"},
                      RecordingCase{"Audio44100Flac", SignalKind::Audio, 44100, ".flac"},
                      RecordingCase{"Quadrature96k", SignalKind::IQ, 96000, ".wav"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace sorae
