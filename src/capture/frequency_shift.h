// Moves a complex (I/Q) stream up or down in frequency: each frame is turned
// by exp(j 2 pi shift n / rate). The phase belongs to the frame count, not to
// the way the stream is cut into calls, so the same stream gives the same
// values however it is handed in.
//
// A shift of a whole number of quarter turns per frame (e.g. -24 kHz at
// 96 kHz) is done exactly by swapping and negating; any other shift turns a
// phasor that is set again from the exact phase every 1024 frames.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sorae {

class FrequencyShift {
public:
    FrequencyShift() = default;
    FrequencyShift(double shiftHz, double rate);

    bool isIdentity() const { return quarterTurns_ == 0; }
    double shiftHz() const { return shiftHz_; }

    // Turns `frames` interleaved I, Q frames in place.
    void apply(float* iq, std::size_t frames);

    void restart() { n_ = 0; }

private:
    double shiftHz_ = 0.0;
    double cyclesPerFrame_ = 0.0;  // in [0, 1)
    int quarterTurns_ = 0;         // 0..3 when exact, -1 for a general shift
    std::int64_t n_ = 0;
    double phasorCos_ = 1.0, phasorSin_ = 0.0;
    double stepCos_ = 1.0, stepSin_ = 0.0;
};

}  // namespace sorae
