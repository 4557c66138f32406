#include "capture/frequency_shift.h"

#include <gtest/gtest.h>

#include <complex>
#include <numbers>
#include <vector>

namespace sorae {
namespace {

// Every shift, exact quarter turns or not, turns frame n by
// exp(j 2 pi shift n / rate), whatever calls the stream is cut into.
TEST(FrequencyShift, TurnsEachFrameByItsOwnPhaseAcrossCalls) {
    const double cases[][2] = {{-24000.0, 96000.0}, {24000.0, 96000.0}, {48000.0, 96000.0},
                               {-30000.0, 192000.0}, {12345.6, 250000.0}};
    for (const auto& c : cases) {
        const double shift = c[0], rate = c[1];
        const std::size_t frames = 5000;
        std::vector<float> iq(2 * frames);
        for (std::size_t n = 0; n < frames; ++n) {
            iq[2 * n] = float(0.5 + 0.001 * double(n % 97));
            iq[2 * n + 1] = float(-0.25 + 0.002 * double(n % 53));
        }
        std::vector<float> turned(iq);
        FrequencyShift s(shift, rate);
        std::size_t done = 0;
        for (std::size_t step : {1u, 700u, 1024u, 3u, 5000u}) {
            const std::size_t n = std::min(step, frames - done);
            s.apply(turned.data() + 2 * done, n);
            done += n;
        }
        ASSERT_EQ(done, frames);
        for (std::size_t n = 0; n < frames; ++n) {
            const std::complex<double> z(iq[2 * n], iq[2 * n + 1]);
            const auto want = z * std::polar(1.0, 2.0 * std::numbers::pi * shift * double(n) / rate);
            ASSERT_NEAR(turned[2 * n], want.real(), 2e-6) << shift << " at " << n;
            ASSERT_NEAR(turned[2 * n + 1], want.imag(), 2e-6) << shift << " at " << n;
        }
    }
}

}  // namespace
}  // namespace sorae
