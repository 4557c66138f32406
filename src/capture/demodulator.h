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
//    With setCoherent(true) a phase-locked loop takes the in-phase
//    amplitude instead of the Hilbert magnitude (SubcarrierPll).
//
// Every filter state starts at zero and carries over from block to block, so
// consecutive blocks are filtered as one stream. Only clearQuadratureLowPass()
// (called when the capture device is opened) resets anything.
//
// Buffers are allocated once, in the constructor; nothing is allocated per
// block.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "capture/subcarrier_pll.h"

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

    // Coherent detection (SubcarrierPll) instead of the envelope's
    // magnitude: the same gain and filters, without the magnitude's noise
    // bias; for recordings. Off by default (the live chain); switching it
    // on starts the loop afresh.
    void setCoherent(bool on);
    bool coherent() const { return coherent_; }

    // Zeroes the 96 kHz low-pass of both channels (all sections). The mixer
    // phase, the previous theta and every other filter keep their state.
    void clearQuadratureLowPass();

    // Quadrature stage. left = I, right = Q, `frames` samples each at 96 kHz
    // (normally kFramesPerBlock96k); the input arrays are only read. Keeps
    // the even frames of each call and writes (frames + 1) / 2 samples at
    // 48 kHz to demodOutput (24000 for a full block). `frames` is clamped to
    // 0 .. kFramesPerBlock96k; give even counts to keep one continuous
    // decimation across calls.
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

    // The two stages above each in two parts, for a pipeline that runs the
    // parts on different threads; one after the other they give the same
    // bits as the whole stage. A Demodulator's parts keep separate state,
    // so each part may run on its own thread as long as every part is fed
    // its blocks in order.
    //   Quadrature: mixer, low-pass and decimation into decI/decQ (the
    //   count kept is returned), then the discriminator into demodOutput.
    int mixAndDecimate(const double* left, const double* right, int frames, double* decI, double* decQ);
    // The same from the captured frames as they come (I, Q, I, Q, ...).
    int mixAndDecimateInterleaved(const std::int16_t* interleaved, int frames, double* decI, double* decQ);
    void discriminate(const double* decI, const double* decQ, int kept, double gainLinear, double* demodOutput);
    //   Envelope: the 5 kHz low-pass and decimation of kFramesPerBlock48k
    //   samples into kDecimatedSamples, then band-pass, Hilbert transformer
    //   and interpolation into kEnvelopeSamples of demodOutput.
    void decimateAudio(const double* audio, double* decimated);
    void envelopeOfDecimated(const double* decimated, double* demodOutput);

private:
    template <typename Input>
    int mixAndDecimateFrom(Input input, int frames, double* decI, double* decQ);

    // Direct-form-II state of one biquad section.
    struct BiquadState {
        double w1 = 0.0;
        double w2 = 0.0;
    };
    using Cascade = std::array<BiquadState, kSections>;
    static constexpr int kFirHistory = kFirTaps - 1;

    // Quadrature stage. The mixer phase steps by -pi/2 per frame and so
    // takes only four values; sin and cos of them are tabled once, by the
    // same stepping and the same library calls, so they are bit-identical.
    std::array<double, 4> mixerSin_{};
    std::array<double, 4> mixerCos_{};
    int mixerStep_ = 0;               // frames mixed so far, modulo 4
    Cascade quadLowPass_[2];          // [0] = I, [1] = Q
    double previousTheta_ = 0.0;      // last theta of the previous block
    BiquadState dcHighPass_;
    std::vector<double> decimatedI_;  // kFramesPerBlock48k each
    std::vector<double> decimatedQ_;

    // Envelope stage. The FIR inputs are kept as the last kFirHistory
    // samples of the previous block followed by the current block, so
    // d[k] of the delay line is buffer[kFirHistory + n - k].
    Cascade audioLowPass_;
    Cascade interpolationLowPass_;
    std::vector<double> bandPassInput_;   // kFirHistory + kDecimatedSamples
    std::vector<double> hilbertInput_;    // kFirHistory + kDecimatedSamples
    std::vector<double> envelope_;        // kDecimatedSamples
    bool coherent_ = false;
    SubcarrierPll pll_;
    std::vector<double> quadrature_;      // kDecimatedSamples, coherent only
};

}  // namespace sorae
