// Turns captured half-second blocks into the 24 kHz envelope of the APT
// subcarrier. Two stages share one object because their filter states belong
// to one continuous stream:
//
//  - demodulateQuadrature(): 96 kHz I/Q -> +24 kHz shift -> 20 kHz low-pass
//    -> decimate by 2 -> FM discriminator (atan2 phase steps) x 1000 x gain
//    -> 5 Hz DC-removal high-pass; 24000 samples at 48 kHz.
//  - demodulateEnvelope(): 48 kHz audio -> 5 kHz low-pass -> decimate by 4
//    -> subcarrier band-pass -> Hilbert envelope -> interpolate by 2 through a
//    2080 Hz low-pass, x 0.4; 12000 samples at 24 kHz, written in place.
//
// Every filter state starts at zero and carries over from block to block, so
// consecutive blocks are filtered as one stream. Only clearQuadratureLowPass()
// (called when the capture device is opened) resets anything.
//
// The object holds about 2 KiB of state and allocates nothing per block.
#pragma once

#include <array>

namespace sorae {

class Demodulator {
public:
    static constexpr int kAudioRate = 48000;             // Hz, demodulated audio
    static constexpr int kQuadratureRate = 96000;        // Hz, I/Q capture
    static constexpr int kEnvelopeRate = 24000;          // Hz, envelope output
    static constexpr int kFramesPerBlock48k = 24000;     // half a second at 48 kHz
    static constexpr int kFramesPerBlock96k = 48000;     // half a second at 96 kHz
    static constexpr int kDecimatedSamples = 6000;       // half a second at 12 kHz
    static constexpr int kEnvelopeSamples = 12000;       // half a second at 24 kHz
    static constexpr int kSections = 4;                  // biquads per low-pass cascade
    static constexpr int kFirTaps = 51;
    static constexpr int kFirCentre = 25;                // group delay of both FIRs

    Demodulator();

    // Zeroes the 96 kHz low-pass of both channels (all sections). The mixer
    // phase, the previous theta and every other filter keep their state.
    void clearQuadratureLowPass();

    // Quadrature stage. left = I, right = Q, `frames` samples each at 96 kHz
    // (normally kFramesPerBlock96k); the input arrays are only read. Writes
    // frames / 2 samples at 48 kHz to demodOutput (24000 for a full block).
    // `frames` must be even and at most kFramesPerBlock96k.
    //
    // The stage always runs when called: skipping it while neither the
    // monitor, the input dialog nor a reception needs its output is the block
    // handler's decision, which must then leave demodOutput untouched.
    void demodulateQuadrature(const double* left, const double* right, int frames,
                              double gainLinear, double* demodOutput);

    // Envelope stage. Reads kFramesPerBlock48k samples at 48 kHz from
    // demodOutput and writes kEnvelopeSamples samples at 24 kHz over its
    // first half; entries from kEnvelopeSamples on are left as they were.
    void demodulateEnvelope(double* demodOutput);

private:
    // Direct-form-II state of one biquad section.
    struct BiquadState {
        double w1 = 0.0;
        double w2 = 0.0;
    };
    using Cascade = std::array<BiquadState, kSections>;

    // Quadrature stage
    Cascade quadLowPass_[2];        // [0] = I, [1] = Q
    int mixerStep_ = 0;             // phase = -mixerStep_ * pi/2, 0..3
    double previousTheta_ = 0.0;
    BiquadState dcHighPass_;

    // Envelope stage
    Cascade audioLowPass_;
    Cascade interpolationLowPass_;
    // FIR histories kept twice over (ring of kFirTaps written at i and
    // i + kFirTaps) so every output reads kFirTaps contiguous values.
    std::array<double, 2 * kFirTaps> bandPassHistory_{};
    std::array<double, 2 * kFirTaps> hilbertHistory_{};
    int bandPassPos_ = 0;
    int hilbertPos_ = 0;
    std::array<double, kDecimatedSamples> envelope_{};
    std::array<double, kFramesPerBlock96k> mixedI_{};
    std::array<double, kFramesPerBlock96k> mixedQ_{};
};

}  // namespace sorae
