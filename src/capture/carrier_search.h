// Finds the FM carrier of an I/Q recording from its first seconds: the
// centre of gravity of the power spectrum, taken on the frequency circle,
// which is the phase of the lag-one autocorrelation sum z[n] conj(z[n-1]).
// White noise adds nothing to that sum, so noise does not pull the estimate
// toward the middle of the band; the mean of I and Q (a receiver's DC
// offset) is taken out first. The modulation of an APT signal is symmetric
// about the carrier, so the centre of gravity is the carrier itself.
#pragma once

#include <complex>
#include <cstddef>
#include <optional>

namespace sorae {

class CarrierSearch {
public:
    // Below this share of coherent power (|R1| / R0) the recording holds no
    // carrier worth the name: silence, noise alone.
    static constexpr double kMinCoherence = 0.05;

    // Adds `frames` interleaved I, Q frames that follow the ones added so far.
    void add(const float* iq, std::size_t frames);
    std::size_t frames() const { return count_; }

    // Carrier in Hz (-rate/2 .. rate/2) for a stream at `rate`, or nothing
    // when no carrier stands out.
    std::optional<double> carrierHz(double rate) const;
    double coherence() const;

private:
    std::complex<double> sum_{};      // sum of z
    std::complex<double> lagOne_{};   // sum of z[n] conj(z[n-1])
    double power_ = 0.0;              // sum of |z|^2
    std::complex<double> previous_{};
    std::size_t count_ = 0;

    std::complex<double> centredLagOne() const;
    double centredPower() const;
};

}  // namespace sorae
