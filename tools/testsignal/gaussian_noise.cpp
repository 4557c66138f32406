#include "testsignal/gaussian_noise.h"

#include <cmath>

namespace sorae::testsignal {
namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

// Ziggurat of 128 layers of equal area under exp(-x^2 / 2): the base layer
// reaches r and carries the tail; constants from Marsaglia and Tsang.
constexpr int kLayers = 128;
constexpr double kR = 3.442619855899;
constexpr double kArea = 9.91256303526217e-3;

double density(double x) { return std::exp(-0.5 * x * x); }

struct Ziggurat {
    // x[i]: right edge of layer i (x[0] the base's equivalent width),
    // x[kLayers] = 0; f[i] = density(x[i]).
    std::array<double, kLayers + 1> x{};
    std::array<double, kLayers + 1> f{};

    Ziggurat() {
        x[0] = kArea / density(kR);
        x[1] = kR;
        for (int i = 1; i < kLayers - 1; ++i) {
            const double y = kArea / x[i] + density(x[i]);
            x[i + 1] = y < 1.0 ? std::sqrt(-2.0 * std::log(y)) : 0.0;
        }
        x[kLayers] = 0.0;
        for (int i = 0; i <= kLayers; ++i) f[i] = density(x[i]);
        f[0] = 0.0;  // the base layer starts at the axis
    }
};

const Ziggurat& ziggurat() {
    static const Ziggurat z;
    return z;
}

}  // namespace

GaussianNoise::GaussianNoise(std::uint64_t seed) {
    for (auto& s : state_) s = splitmix64(seed);
    ziggurat();
}

std::uint64_t GaussianNoise::nextBits() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

double GaussianNoise::tail(bool negative) {
    double a, b;
    do {
        a = -std::log(1.0 - uniform()) / kR;
        b = -std::log(1.0 - uniform());
    } while (b + b < a * a);
    return negative ? -(kR + a) : kR + a;
}

double GaussianNoise::next() {
    const Ziggurat& z = ziggurat();
    for (;;) {
        const std::uint64_t bits = nextBits();
        const int layer = int(bits & (kLayers - 1));
        const bool negative = (bits >> 7) & 1;
        const double u = double(bits >> 11) * 0x1.0p-53;
        const double v = u * z.x[layer];
        if (v < z.x[layer + 1]) return negative ? -v : v;
        if (layer == 0) return tail(negative);
        // The wedge beside the curve: accept by the height under it.
        const double y = z.f[layer] + uniform() * (z.f[layer + 1] - z.f[layer]);
        if (y < density(v)) return negative ? -v : v;
    }
}

}  // namespace sorae::testsignal
