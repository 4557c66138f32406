// A deliberately plain implementation of the demodulator, written the way
// the algorithm reads: one filter section over the whole block after the
// other, FIR delay lines shifted by one per sample, sine and cosine of the
// stepping mixer phase per frame, decimation in place. The fast Demodulator
// must agree with it bit for bit.
#pragma once

#include "capture/demod_coefficients.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace sorae::testing {

class ReferenceDemodulator {
public:
    // left/right are taken by value: the stage mixes them in place.
    void quadrature(std::vector<double> left, std::vector<double> right, int frames, double gain,
                    double* out) {
        constexpr double pi = std::numbers::pi;
        for (int i = 0; i < frames; ++i) {
            phase_ = phase_ - pi / 2.0;
            if (phase_ <= -2.0 * pi) phase_ += 2.0 * pi;
            const double s = std::sin(phase_);
            const double c = std::cos(phase_);
            const double inI = left[i];
            const double inQ = right[i];
            left[i] = inI * s - inQ * c;
            right[i] = inI * c + inQ * s;
        }
        std::vector<double>* channels[2] = {&left, &right};
        for (int ch = 0; ch < 2; ++ch) {
            for (int sec = 0; sec < 4; ++sec) {
                runSection(demod::kQuadratureLowPass96k[sec], lowPass96_[ch][sec],
                           channels[ch]->data(), frames);
            }
        }
        const int kept = (frames + 1) / 2;
        for (int ch = 0; ch < 2; ++ch) {
            for (int j = 0; j < kept; ++j) (*channels[ch])[j] = (*channels[ch])[2 * j];
        }
        for (int i = 0; i < kept; ++i) {
            double theta = 0.0;
            if (!(left[i] == 0.0 && right[i] == 0.0)) theta = std::atan2(left[i], right[i]);
            double d = previousTheta_ - theta;
            if (d < -pi) {
                d = d + 2.0 * pi;
            } else if (d > pi) {
                d = d - 2.0 * pi;
            }
            previousTheta_ = theta;
            double y = d * 1000.0 * gain;
            runSection(demod::kDcRemovalHighPass48k, highPass_, &y, 1);
            out[i] = y;
        }
    }

    void envelope(double* io) {
        for (int sec = 0; sec < 4; ++sec) {
            runSection(demod::kAudioLowPass48k[sec], lowPass48_[sec], io, 24000);
        }
        for (int i = 0; i < 6000; ++i) io[i] = io[4 * i];
        std::vector<double> e(6000);
        for (int i = 0; i < 6000; ++i) {
            const double v = fir(demod::kSubcarrierBandPass, bandPassLine_, io[i]);
            const double q = fir(demod::kEnvelopeHilbert, hilbertLine_, v);
            const double p = hilbertLine_[25];
            e[i] = std::sqrt(p * p + q * q);
        }
        for (int i = 0; i < 12000; ++i) io[i] = e[i / 2];
        for (int sec = 0; sec < 4; ++sec) {
            runSection(demod::kInterpolationLowPass24k[sec], lowPass24_[sec], io, 12000);
        }
        for (int i = 0; i < 12000; ++i) io[i] = 0.4 * io[i];
    }

    void clearQuadratureLowPass() {
        for (auto& ch : lowPass96_)
            for (auto& s : ch) s = {0.0, 0.0};
    }

private:
    struct State {
        double w1 = 0.0;
        double w2 = 0.0;
    };

    static void runSection(const demod::BiquadCoefficients& c, State& st, double* x, int n) {
        for (int i = 0; i < n; ++i) {
            const double w = x[i] + c.a1 * st.w1 + c.a2 * st.w2;
            const double y = c.b0 * w + c.b1 * st.w1 + c.b2 * st.w2;
            st.w2 = st.w1;
            st.w1 = w;
            x[i] = y;
        }
    }

    static double fir(const demod::FirTaps& h, double (&d)[51], double x) {
        for (int k = 50; k >= 1; --k) d[k] = d[k - 1];
        d[0] = x;
        double sum = 0.0;
        for (int k = 0; k <= 50; ++k) sum += h[k] * d[k];
        return sum;
    }

    double phase_ = 0.0;
    double previousTheta_ = 0.0;
    State lowPass96_[2][4];
    State highPass_;
    State lowPass48_[4];
    State lowPass24_[4];
    double bandPassLine_[51] = {};
    double hilbertLine_[51] = {};
};

}  // namespace sorae::testing
