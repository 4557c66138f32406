// Measuring helpers for the test-signal tests: the whole output of a
// generator, lock-in amplitudes of the subcarrier and the instantaneous
// frequency of an I/Q recording.
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "testsignal/apt_signal_generator.h"

namespace sorae::testsignal::probe {

inline std::vector<double> generateAll(AptSignalGenerator& g, std::size_t blockFrames = 4096) {
    std::vector<double> all(std::size_t(g.totalFrames()) * g.channels());
    std::size_t done = 0;
    g.rewind();
    while (done < all.size()) {
        const std::size_t want = std::min(blockFrames * g.channels(), all.size() - done);
        const std::size_t frames = g.generate(std::span<double>(all.data() + done, want));
        if (frames == 0) break;
        done += frames * g.channels();
    }
    all.resize(done);
    return all;
}

// Complex amplitude of the component at `hz` in x[first .. first+count),
// sampled at `rate` (a real tone of amplitude A reads |A|).
inline std::complex<double> lockIn(const std::vector<double>& x, std::size_t first, std::size_t count,
                                   double rate, double hz, int stride = 1, int offset = 0) {
    std::complex<double> sum = 0.0;
    for (std::size_t n = first; n < first + count; ++n) {
        const double ph = 2.0 * std::numbers::pi * hz * double(n) / rate;
        sum += x[n * stride + offset] * std::complex<double>(std::cos(ph), -std::sin(ph));
    }
    return 2.0 * sum / double(count);
}

// Instantaneous frequency (Hz) between frames n-1 and n of interleaved I/Q.
inline std::vector<double> instantaneousFrequency(const std::vector<double>& iq, double rate) {
    const std::size_t frames = iq.size() / 2;
    std::vector<double> f(frames, 0.0);
    for (std::size_t n = 1; n < frames; ++n) {
        const std::complex<double> a(iq[2 * n - 2], iq[2 * n - 1]), b(iq[2 * n], iq[2 * n + 1]);
        f[n] = std::arg(b * std::conj(a)) * rate / (2.0 * std::numbers::pi);
    }
    return f;
}

}  // namespace sorae::testsignal::probe
