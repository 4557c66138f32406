// Shared by the reception tests: a generated APT pass cut into the blocks a
// sound card delivers, a recording of it for the sound server, and the
// comparison of a saved picture with the pictures the pass was made from.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/picture_buffer.h"
#include "testsignal/apt_line_source.h"
#include "testsignal/apt_signal_generator.h"

namespace sorae::receptiontest {

using namespace sorae::testsignal;

// Changes smoothly along and across the lines, so a wrong line or column
// alignment shows in the correlation.
inline GreyPicture smoothPicture(int height, double phase) {
    GreyPicture p(AptLayout::kImageWords, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.at(x, y) = std::uint8_t(128 + 90 * std::sin(x / 70.0 + phase) * std::cos(y / 45.0) +
                                      30 * std::sin(y / 23.0));
    return p;
}

inline AptLineSource passSource() { return AptLineSource(smoothPicture(600, 0.0), smoothPicture(600, 1.5), 2, 4); }

inline GeneratorOptions passOptions(SignalKind kind, long lines) {
    GeneratorOptions options;
    options.kind = kind;
    options.sampleRate = kind == SignalKind::IQ ? 96000 : 48000;
    options.lines = lines;
    options.snrDb = 30.0;
    options.startFraction = 0.3;
    options.firstLineNumber = 40;  // start inside a telemetry frame
    return options;
}

// Half-second blocks of interleaved stereo 16-bit frames, as captured:
// audio in both channels, or I left and Q right.
class BlockSource {
public:
    BlockSource(SignalKind kind, long lines)
        : generator_(passSource(), passOptions(kind, lines)),
          framesPerBlock_(generator_.options().sampleRate / 2),
          samples_(std::size_t(framesPerBlock_) * std::size_t(generator_.channels())),
          frames_(std::size_t(framesPerBlock_) * 2) {}

    int framesPerBlock() const { return framesPerBlock_; }

    // The next block; nullptr once the pass has been sent.
    const std::int16_t* next() {
        std::fill(samples_.begin(), samples_.end(), std::int16_t(0));
        const std::size_t got = generator_.generateInt16(std::span<std::int16_t>(samples_));
        if (got == 0) return nullptr;
        if (generator_.channels() == 2) return samples_.data();
        for (int i = 0; i < framesPerBlock_; ++i) {
            frames_[std::size_t(2 * i)] = samples_[std::size_t(i)];
            frames_[std::size_t(2 * i + 1)] = samples_[std::size_t(i)];
        }
        return frames_.data();
    }

private:
    AptSignalGenerator generator_;
    int framesPerBlock_;
    std::vector<std::int16_t> samples_;
    std::vector<std::int16_t> frames_;
};

// Best correlation of the image part of a picture with the source over
// small constant line and column offsets of the chain, for the rows from
// firstRow (a title is left out) to the last but endMargin (silence after
// the signal).
inline double bestCorrelation(const PictureBuffer& picture, int channel, int firstRow = 80,
                              int endMargin = 0) {
    const AptLineSource source = passSource();
    double best = -1.0;
    const int rows = picture.height - endMargin;
    for (int lineShift = 0; lineShift <= 80; ++lineShift) {
        for (int columnShift = -6; columnShift <= 6; columnShift += 2) {
            double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
            long n = 0;
            for (int r = firstRow; r < rows; r += 2) {
                const auto truth = source.half(r + lineShift, channel);
                for (int w = AptLayout::kImageStart + 10; w < AptLayout::kTelemetryStart - 10; w += 5) {
                    const int x = w + columnShift;
                    const double a = picture.row(r)[3 * x];
                    const double b = truth[std::size_t(w)];
                    sx += a; sy += b; sxx += a * a; syy += b * b; sxy += a * b;
                    ++n;
                }
            }
            if (n == 0) continue;
            const double cov = sxy - sx * sy / double(n);
            const double var = (sxx - sx * sx / double(n)) * (syy - sy * sy / double(n));
            if (var > 0) best = std::max(best, cov / std::sqrt(var));
        }
    }
    return best;
}

}  // namespace sorae::receptiontest
