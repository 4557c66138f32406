// Coherent detection of the 2400 Hz subcarrier: a phase-locked loop follows
// the subcarrier's phase in the analytic signal (in-phase and Hilbert
// parts at 12 kHz) and gives its in-phase amplitude. Unlike the magnitude
// of the analytic signal, whose mean is raised by noise (most where the
// subcarrier is weak, so noisy pictures come out with their mid greys too
// dark once calibrated), the in-phase part keeps the noise's mean at zero,
// and the quadrature half of the noise is left out altogether.
//
// The loop is of second order, updated every eight samples, with a
// natural frequency of a few hertz: enough for a recorder's clock error
// of some hundred ppm, narrow enough that the phase noise costs well under
// a percent of the amplitude at 5 dB, and nearly the same over dark
// stretches as over bright ones. Its phase detector is weighted by the
// amplitude, so bright words steer it more than dark ones.
//
// Nothing is allocated; the state carries over from call to call.
#pragma once

namespace sorae {

class SubcarrierPll {
public:
    static constexpr double kSampleRate = 12000.0;
    static constexpr double kSubcarrierHz = 2400.0;
    static constexpr int kGroup = 8;   // samples per loop update

    void reset();

    // count samples (a multiple of kGroup): inPhase[n] and quadrature[n]
    // are the analytic signal; the in-phase amplitude goes to out[n]
    // (which may be inPhase).
    void process(const double* inPhase, const double* quadrature, int count, double* out);

    double frequencyOffsetHz() const;
    double phase() const;   // of the oscillator at the next sample, radians

private:
    double oscCos_ = 1.0, oscSin_ = 0.0;   // the oscillator at the next sample
    double groupStep_ = 0.0;    // frequency offset: extra phase per group, radians
    double meanAmplitude_ = 0.0;
};

}  // namespace sorae
