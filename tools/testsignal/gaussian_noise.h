// Reproducible white Gaussian noise: xoshiro256** seeded through splitmix64
// (both public-domain generators by Blackman and Vigna) and Marsaglia's
// polar method. The same seed gives the same numbers on every platform.
#pragma once

#include <cstdint>

namespace sorae::testsignal {

class GaussianNoise {
public:
    explicit GaussianNoise(std::uint64_t seed);

    // Next value with mean 0 and standard deviation 1.
    double next();
    // Uniform in [0, 1).
    double uniform();

private:
    std::uint64_t nextBits();

    std::uint64_t state_[4];
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

}  // namespace sorae::testsignal
