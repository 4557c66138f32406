#include "capture/frequency_shift.h"

#include <cmath>
#include <numbers>

namespace sorae {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr std::int64_t kReanchorMask = 1023;

}  // namespace

FrequencyShift::FrequencyShift(double shiftHz, double rate) : shiftHz_(shiftHz) {
    const double cycles = shiftHz / rate;
    cyclesPerFrame_ = cycles - std::floor(cycles);
    const double quarters = cyclesPerFrame_ * 4.0;
    if (quarters == std::floor(quarters)) {
        quarterTurns_ = int(quarters) % 4;
    } else {
        quarterTurns_ = -1;
        stepCos_ = std::cos(kTwoPi * cyclesPerFrame_);
        stepSin_ = std::sin(kTwoPi * cyclesPerFrame_);
    }
}

void FrequencyShift::apply(float* iq, std::size_t frames) {
    if (quarterTurns_ == 0) {
        n_ += std::int64_t(frames);
        return;
    }
    if (quarterTurns_ > 0) {
        // exp(j pi/2 k) is 1, j, -1, -j: (i + jq) j = -q + j i
        for (std::size_t f = 0; f < frames; ++f, ++n_) {
            const int turn = int((n_ * quarterTurns_) & 3);
            float& i = iq[2 * f];
            float& q = iq[2 * f + 1];
            const float a = i, b = q;
            switch (turn) {
                case 0: break;
                case 1: i = -b; q = a; break;
                case 2: i = -a; q = -b; break;
                default: i = b; q = -a; break;
            }
        }
        return;
    }
    for (std::size_t f = 0; f < frames; ++f, ++n_) {
        if ((n_ & kReanchorMask) == 0) {
            const double phase = double(n_) * cyclesPerFrame_;
            const double turn = kTwoPi * (phase - std::floor(phase));
            phasorCos_ = std::cos(turn);
            phasorSin_ = std::sin(turn);
        } else {
            const double c = phasorCos_ * stepCos_ - phasorSin_ * stepSin_;
            phasorSin_ = phasorSin_ * stepCos_ + phasorCos_ * stepSin_;
            phasorCos_ = c;
        }
        const double i = iq[2 * f], q = iq[2 * f + 1];
        iq[2 * f] = float(i * phasorCos_ - q * phasorSin_);
        iq[2 * f + 1] = float(i * phasorSin_ + q * phasorCos_);
    }
}

}  // namespace sorae
