// Where the decoded words lie against the words sent: the edges of vertical
// bars, generated at several rates and as I/Q, and decoded by both detectors
// (the coherent one of recordings, the envelope of the live chain), fall a
// fixed fraction of a word before where the generator put them. The picture
// geometry counts with that fraction; if the chain's delay changes, the
// pictures move against the ground and this fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "apt/word_phase.h"
#include "common/scratch_folder.h"
#include "recording/recording_decoder.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"

namespace sorae {
namespace {

using namespace testsignal;

constexpr int kBar = 50;  // black and white bars of 50 words: white from column 50, 150, ...

struct PhaseCase {
    int rate;
    double startFraction;
    bool coherent;
    bool iq = false;  // a 96 kHz I/Q recording, FM-demodulated first
};

// Mean position (in words) of the decoded bar edges less the sent ones,
// over both channels; the sent edge between columns 49 and 50 lies at 49.5.
double MeasuredLead(const LineStore& store, int firstLine, int lastLine) {
    std::vector<double> lead;
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<double> mean(AptLayout::kImageWords, 0.0);
        for (int c = 0; c < AptLayout::kImageWords; ++c) {
            for (int line = firstLine; line < lastLine; ++line)
                mean[c] += store.at(channel, AptLayout::kImageStart + c, line);
            mean[c] /= (lastLine - firstLine);
        }
        const double black = mean[25], white = mean[75];
        const double half = 0.5 * (black + white);
        for (int edge = kBar; edge + 1 < AptLayout::kImageWords; edge += kBar) {
            for (int c = edge - 3; c < edge + 2; ++c) {
                if ((mean[c] - half) * (mean[c + 1] - half) >= 0) continue;
                const double crossing = c + (half - mean[c]) / (mean[c + 1] - mean[c]);
                lead.push_back((edge - 0.5) - crossing);
            }
        }
    }
    EXPECT_EQ(lead.size(), std::size_t(2 * 18));
    double sum = 0.0;
    for (double v : lead) sum += v;
    return lead.empty() ? 0.0 : sum / double(lead.size());
}

class WordPhase : public testing::TestWithParam<PhaseCase> {};

TEST_P(WordPhase, DecodedWordsLeadTheSentOnesByTheKnownFraction) {
    const PhaseCase& c = GetParam();
    GreyPicture bars(AptLayout::kImageWords, 1, 0);
    for (int x = kBar; x < AptLayout::kImageWords; x += 2 * kBar)
        bars.fillRect(x, 0, std::min(kBar, AptLayout::kImageWords - x), 1, 255);
    GeneratorOptions o;
    o.sampleRate = c.rate;
    if (c.iq) o.kind = SignalKind::IQ;
    o.startFraction = c.startFraction;
    o.lines = 60;
    AptSignalGenerator generator(AptLineSource(bars, bars, 2, 4), o);
    testsupport::ScratchFolder scratch;
    const std::string path = scratch.file("bars.wav");
    ASSERT_TRUE(writeRecording(path, generator, SampleFormat::Int16).ok);

    auto store = std::make_unique<LineStore>();
    RecordingDecoder decoder(*store);
    RecordingDecodeOptions options;
    options.path = path;
    options.coherent = c.coherent;
    options.quadrature = c.iq;
    if (c.iq) options.iqCarrierHz = -24000.0;
    const RecordingDecodeResult r = decoder.run(options);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_GT(store->lineCount, 50);
    const double lead = MeasuredLead(*store, 10, store->lineCount - 2);
    std::printf("%d Hz%s, start %.2f, %s: lead %.3f words\n", c.rate, c.iq ? " I/Q" : "", c.startFraction,
                c.coherent ? "coherent" : "envelope", lead);
    EXPECT_NEAR(lead, kDecodedWordLeadWords, 0.1);
}

INSTANTIATE_TEST_SUITE_P(
    RatesAndDetectors, WordPhase,
    testing::Values(PhaseCase{48000, 0.0, true}, PhaseCase{48000, 0.0, false}, PhaseCase{11025, 0.0, true},
                    PhaseCase{11025, 0.37, true}, PhaseCase{11025, 0.37, false}, PhaseCase{20800, 0.0, true},
                    PhaseCase{44100, 0.71, true}, PhaseCase{44100, 0.71, false},
                    PhaseCase{96000, 0.2, true, true}),
    [](const testing::TestParamInfo<PhaseCase>& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace sorae
