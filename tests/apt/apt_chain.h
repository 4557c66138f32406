// The receiving chain the end-to-end tests drive: test transmitter ->
// demodulator (quadrature stage for I/Q, then the envelope stage) ->
// DecodeBlock, half a second at a time, as the block handler runs it.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "apt/line_decoder.h"
#include "capture/demodulator.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"
#include "testsignal/grey_picture.h"

namespace sorae::test {

// Records the block at which each sensor name was confirmed.
struct SensorWatch : DecodeHooks {
    int confirmations = 0;
    void sensorStatusChanged(const std::string&) override { ++confirmations; }
};

struct ChainRun {
    std::unique_ptr<LineStore> store = std::make_unique<LineStore>();
    std::unique_ptr<LineDecoder> decoder = std::make_unique<LineDecoder>(*store);
    std::unique_ptr<Demodulator> demod = std::make_unique<Demodulator>();
    std::vector<DecodeResult> results;
    std::vector<int> lineCountAtNaming;   // LineCount after each confirming block
    SensorWatch watch;

    // Decodes one 48 kHz audio block (24000 counts) through the envelope stage.
    void decodeAudio(std::vector<double>& audio) {
        demod->demodulateEnvelope(audio.data());
        decodeEnvelope(audio.data());
    }

    void decodeEnvelope(const double* envelope) {
        const int before = watch.confirmations;
        results.push_back(decoder->decodeBlock(envelope, DecodeContext{}, &watch));
        if (watch.confirmations != before) lineCountAtNaming.push_back(store->lineCount);
    }

    // Runs a whole generated recording (audio at 48 kHz or I/Q at 96 kHz).
    void run(testsignal::AptSignalGenerator& generator) {
        decoder->resetForNewPass();
        const bool iq = generator.options().kind == testsignal::SignalKind::IQ;
        const int frames = iq ? Demodulator::kFramesPerBlock96k : Demodulator::kFramesPerBlock48k;
        std::vector<double> raw(std::size_t(frames) * generator.channels());
        std::vector<double> left(frames), right(frames), audio(Demodulator::kFramesPerBlock48k);
        for (;;) {
            std::fill(raw.begin(), raw.end(), 0.0);
            if (generator.generate(raw) == 0) break;
            // what the sound card delivers: 16-bit counts
            for (double& x : raw) x = testsignal::toInt16(x);
            if (iq) {
                for (int i = 0; i < frames; ++i) {
                    left[i] = raw[2 * i];
                    right[i] = raw[2 * i + 1];
                }
                demod->demodulateQuadrature(left.data(), right.data(), frames, 1.0, audio.data());
            } else {
                std::copy(raw.begin(), raw.end(), audio.begin());
            }
            decodeAudio(audio);
        }
    }

    int firstLockedBlock() const {
        for (std::size_t b = 0; b < results.size(); ++b)
            if (results[b].syncLocked) return int(b);
        return -1;
    }
    // Blocks from `from` on that did not confirm the sync; the last block,
    // where the recording stops in the middle, is not counted.
    int unlockedBlocksFrom(int from) const {
        int n = 0;
        for (std::size_t b = std::size_t(from); b + 1 < results.size(); ++b) n += !results[b].syncLocked;
        return n;
    }
};

inline double correlation(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = double(x.size());
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i]; sy += y[i];
        sxx += x[i] * x[i]; syy += y[i] * y[i]; sxy += x[i] * y[i];
    }
    return (sxy - sx * sy / n) / std::sqrt((sxx - sx * sx / n) * (syy - sy * sy / n));
}

// How the stored lines sit against the transmitted ones: stored line L and
// word w hold source line L + lineShift, word w + wordShift.
struct Alignment {
    int lineShift = 0;
    int wordShift = 0;
};

// Correlation of the picture part of one stored half with a source half;
// nothing when the source row is (nearly) flat and has no shape to match.
inline std::optional<double> halfCorrelation(const LineStore& store, const testsignal::AptLineSource& source,
                              long firstLineNumber, int line, int channel, Alignment a) {
    const auto half = source.half(firstLineNumber + line + a.lineShift, channel);
    std::vector<double> got, want;
    for (int w = testsignal::AptLayout::kImageStart + 8; w < testsignal::AptLayout::kTelemetryStart - 8; ++w) {
        got.push_back(store.at(channel, w, line));
        want.push_back(half[w + a.wordShift]);
    }
    double mean = 0.0, var = 0.0;
    for (double v : want) mean += v / want.size();
    for (double v : want) var += (v - mean) * (v - mean) / want.size();
    if (var < 4.0) return std::nullopt;
    return correlation(got, want);
}

// The alignment that fits ten stored lines from `line` on best.
inline Alignment findAlignment(const LineStore& store, const testsignal::AptLineSource& source,
                               long firstLineNumber, int line) {
    Alignment best;
    double bestCorrelation = -1e9;
    for (int ls = -3; ls <= 2; ++ls)
        for (int ws = -8; ws <= 8; ++ws) {
            double c = 0.0;
            for (int l = line; l < line + 10; ++l)
                c += halfCorrelation(store, source, firstLineNumber, l, 0, {ls, ws}).value_or(-2.0);
            if (c > bestCorrelation) {
                bestCorrelation = c;
                best = {ls, ws};
            }
        }
    return best;
}

// A picture of soft shapes that change quickly from row to row, so that a
// line or a column out of place shows at once, while the words' detail stays
// well inside the bandwidth of the chain.
inline testsignal::GreyPicture cloudPicture(int height, double seed) {
    testsignal::GreyPicture p(909, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 909; ++x) {
            const double v = 128.0 + 70.0 * std::sin(2 * M_PI * x / 97.0 + 1.3 * y + seed) +
                             45.0 * std::sin(2 * M_PI * x / 37.0 + 2.1 * y - seed);
            p.at(x, y) = std::uint8_t(std::clamp(v, 0.0, 255.0));
        }
    return p;
}

}  // namespace sorae::test
