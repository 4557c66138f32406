#include "fidelity_support.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace sorae::testsupport {

using namespace sorae::testsignal;

namespace {

// A smooth pseudo-random field in -1..1 from a few sinusoids of `seed`.
double field(double x, double y, unsigned seed, double scale) {
    double v = 0.0;
    unsigned s = seed * 2654435761u + 12345u;
    for (int k = 0; k < 5; ++k) {
        s = s * 1664525u + 1013904223u;
        const double angle = (s >> 8) * (6.283185307179586 / 16777216.0);
        s = s * 1664525u + 1013904223u;
        const double phase = (s >> 8) * (6.283185307179586 / 16777216.0);
        const double f = scale * (1.0 + 0.35 * k);
        v += std::sin(f * (x * std::cos(angle) + y * std::sin(angle)) + phase);
    }
    return v / 5.0 * 2.0;
}

}  // namespace

GreyPicture makeScene(Scene scene, int height, unsigned seed) {
    GreyPicture p(AptLayout::kImageWords, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < p.width; ++x) {
            double v = 0.0;
            switch (scene) {
            case Scene::Bars:
                v = 10.0 + 20.0 * std::min(12, x * 13 / p.width);
                break;
            case Scene::Gradient:
                v = 255.0 * x / (p.width - 1);
                break;
            case Scene::CloudyLand: {
                // Sea and land with some texture, under cloud whose cover
                // swells and clears over a few minutes of the pass.
                const bool land = field(x, y, seed, 1.0 / 90.0) > 0.1;
                v = land ? 95.0 + 25.0 * field(x, y, seed + 1, 1.0 / 12.0) : 35.0 + 6.0 * field(x, y, seed + 2, 1.0 / 20.0);
                const double cover = 0.5 - 0.5 * std::cos(y * 6.283185307179586 / 500.0);   // 0..1
                const double cloud = field(x, y, seed + 3, 1.0 / 25.0);
                const double threshold = 1.2 - 1.4 * cover;
                if (cloud > threshold) v = std::min(255.0, 215.0 + 400.0 * (cloud - threshold));
                break;
            }
            }
            p.at(x, y) = std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
        }
    return p;
}

AptLineSource makeSource(const FidelityRecording& r) {
    const int height = 2400;
    return AptLineSource(makeScene(r.sceneA, height, 1), makeScene(r.sceneB, height, 7), r.sensorA, r.sensorB);
}

std::string writeFidelityRecording(const std::string& path, const FidelityRecording& recording,
                                   AptLineSource& source, std::string* error) {
    AptSignalGenerator generator(source, recording.generator);
    SF_INFO info{};
    info.samplerate = recording.generator.sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_WRITE, &info), sf_close);
    if (!file) {
        if (error) *error = "cannot write " + path;
        return {};
    }
    std::vector<double> samples(65536);
    std::vector<short> out(samples.size());
    std::int64_t done = 0;
    for (;;) {
        const std::size_t n = generator.generate(samples);
        if (n == 0) break;
        for (std::size_t i = 0; i < n; ++i) {
            const double scale =
                recording.fade ? recording.fade(double(done + std::int64_t(i)) / recording.generator.sampleRate) : 1.0;
            out[i] = toInt16(samples[i] * scale);
        }
        if (sf_writef_short(file.get(), out.data(), sf_count_t(n)) != sf_count_t(n)) {
            if (error) *error = "short write to " + path;
            return {};
        }
        done += std::int64_t(n);
    }
    return path;
}

namespace {

double grey(const LineStore& store, const RecordingDecodeResult& r, int channel, int word, int line) {
    return (store.at(channel, word, line) * r.calibrationGain - r.calibrationOffset) / 6.0;
}

constexpr int kFirstWord = AptLayout::kImageStart + 8;
constexpr int kLastWord = AptLayout::kTelemetryStart - 8;

}  // namespace

ChannelFit fitChannel(const LineStore& store, const RecordingDecodeResult& r, const AptLineSource& source,
                      int channel, long firstLineNumber, int stretchLines, int firstLine) {
    ChannelFit fit;
    const int lines = store.lineCount;
    // The alignment: the smallest mean difference over a sample of the lines.
    double best = 1e300;
    for (int shift = -6; shift <= 6; ++shift) {
        double sum = 0.0;
        long n = 0;
        for (int line = std::max(firstLine, 6); line + 6 < lines; line += 7) {
            const auto truth = source.half(firstLineNumber + line + shift, channel);
            for (int w = kFirstWord; w < kLastWord; w += 5) {
                sum += std::abs(grey(store, r, channel, w, line) - truth[std::size_t(w)]);
                ++n;
            }
        }
        if (n > 0 && sum / n < best) {
            best = sum / n;
            fit.lineShift = shift;
        }
    }

    auto truthOf = [&](int line) { return source.half(firstLineNumber + line + fit.lineShift, channel); };

    // Gain of each stretch, least squares of decoded on true grey.
    for (int start = firstLine; start + stretchLines <= lines; start += stretchLines) {
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        long n = 0;
        for (int line = start; line < start + stretchLines; ++line) {
            const auto truth = truthOf(line);
            for (int w = kFirstWord; w < kLastWord; ++w) {
                const double x = truth[std::size_t(w)], y = grey(store, r, channel, w, line);
                sx += x; sy += y; sxx += x * x; sxy += x * y;
                ++n;
            }
        }
        const double varX = sxx - sx * sx / n;
        if (varX > 0) fit.stretchGain.push_back((sxy - sx * sy / n) / varX);
    }
    if (fit.stretchGain.size() >= 2) {
        double mean = 0, sq = 0;
        for (double g : fit.stretchGain) mean += g;
        mean /= fit.stretchGain.size();
        for (double g : fit.stretchGain) sq += (g - mean) * (g - mean);
        fit.gainWander = std::sqrt(sq / (fit.stretchGain.size() - 1)) / mean;
    }

    // Correlation over the whole area; the error of each bar.
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    long n = 0;
    std::vector<double> barSum(13, 0.0);
    std::vector<long> barCount(13, 0);
    for (int line = firstLine; line < lines; ++line) {
        const auto truth = truthOf(line);
        for (int w = kFirstWord; w < kLastWord; ++w) {
            const double x = truth[std::size_t(w)], y = grey(store, r, channel, w, line);
            sx += x; sy += y; sxx += x * x; syy += y * y; sxy += x * y;
            ++n;
            const int column = w - AptLayout::kImageStart;
            const int bar = column * 13 / AptLayout::kImageWords;
            const int within = column - (bar * AptLayout::kImageWords + 12) / 13;
            if (within > 10 && within < AptLayout::kImageWords / 13 - 10) {
                barSum[std::size_t(bar)] += y - x;
                ++barCount[std::size_t(bar)];
            }
        }
    }
    if (n > 1) {
        const double cov = sxy - sx * sy / n, vx = sxx - sx * sx / n, vy = syy - sy * sy / n;
        fit.correlation = vx > 0 && vy > 0 ? cov / std::sqrt(vx * vy) : 0.0;
    }
    for (int b = 0; b < 13; ++b)
        fit.barError.push_back(barCount[std::size_t(b)] ? barSum[std::size_t(b)] / barCount[std::size_t(b)] : 0.0);
    return fit;
}

}  // namespace sorae::testsupport
