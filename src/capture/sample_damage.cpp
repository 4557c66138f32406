#include "capture/sample_damage.h"

#include <algorithm>
#include <cmath>

namespace sorae {

FloatLevelSurvey::FloatLevelSurvey() : octaves_(320, 0), octavePeak_(320, 0.0) {}

void FloatLevelSurvey::add(const float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const float v = std::fabs(samples[i]);
        if (!std::isfinite(v) || v == 0.0f) continue;
        int exponent = 0;
        std::frexp(v, &exponent);  // 2^(exponent-1) <= v < 2^exponent
        const std::size_t bin =
            std::size_t(std::clamp(exponent - kLowestExponent, 0, int(octaves_.size()) - 1));
        ++octaves_[bin];
        octavePeak_[bin] = std::max(octavePeak_[bin], double(v));
        ++counted_;
    }
}

float FloatLevelSurvey::damageLimit() const {
    if (counted_ == 0) return HUGE_VALF;
    const long long within = std::llround(std::ceil(kQuantile * double(counted_)));
    long long sum = 0;
    std::size_t bin = 0;
    while (bin + 1 < octaves_.size() && (sum += octaves_[bin]) < within) ++bin;
    // Above every sample of that bin; a power of two, so the limit falls on
    // a bin's edge.
    const double level = std::ldexp(1.0, int(bin) + kLowestExponent);
    return float(std::max(1.0, kDamageFactor * level));
}

double FloatLevelSurvey::peak() const {
    const float limit = damageLimit();
    double peak = 0.0;
    for (std::size_t b = 0; b < octaves_.size(); ++b)
        if (octavePeak_[b] <= limit) peak = std::max(peak, octavePeak_[b]);
    return peak;
}

long long SilenceDamagedSamples(float* samples, std::size_t count, float limit, std::size_t* first) {
    long long damaged = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (std::isfinite(samples[i]) && std::fabs(samples[i]) <= limit) continue;
        if (damaged++ == 0 && first) *first = i;
        samples[i] = 0.0f;
    }
    return damaged;
}

}  // namespace sorae
