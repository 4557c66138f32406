// Reproducible white Gaussian noise: xoshiro256** seeded through splitmix64
// (both public-domain generators by Blackman and Vigna) and the ziggurat
// method of Marsaglia and Tsang (2000) with 128 layers. The same seed gives
// the same numbers on every platform with IEEE doubles.
#pragma once

#include <array>
#include <cstdint>

namespace sorae::testsignal {

class GaussianNoise {
public:
    explicit GaussianNoise(std::uint64_t seed);

    // Next value with mean 0 and standard deviation 1.
    double next();
    // Uniform in [0, 1).
    double uniform() { return double(nextBits() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t nextBits();
    double tail(bool negative);

    std::uint64_t state_[4];
};

}  // namespace sorae::testsignal
