// Tells damage from signal in floating-point recordings. A float file may
// hold samples that no sound card gave: not numbers, infinite, or millions
// of times full scale (a bad sector, a bit flip in the exponent, a program
// that wrote garbage). One such sample must neither set the scale of the
// whole recording nor reach the decoder, so that it costs at most the line
// it falls in.
//
// A sample is damage when it is not finite or lies beyond kDamageFactor
// times the level that all but the loudest thousandth of the recording's
// samples stay below (never less than full scale).
#pragma once

#include <cstddef>
#include <vector>

namespace sorae {

class FloatLevelSurvey {
public:
    static constexpr double kDamageFactor = 16.0;
    static constexpr double kQuantile = 0.999;

    FloatLevelSurvey();
    // Takes samples in (any channel layout); silence and damage that is not
    // a number are not counted.
    void add(const float* samples, std::size_t count);

    // The magnitude beyond which a sample is damage; infinity before any
    // sample was added.
    float damageLimit() const;
    // The largest magnitude among the samples that are not damage.
    double peak() const;

private:
    static constexpr int kLowestExponent = -160;
    std::vector<long long> octaves_;  // samples per power of two of magnitude
    std::vector<double> octavePeak_;
    long long counted_ = 0;
};

// Replaces every sample that is not finite or beyond `limit` by silence.
// Returns how many there were; *first gets the index of the first one.
long long SilenceDamagedSamples(float* samples, std::size_t count, float limit, std::size_t* first);

}  // namespace sorae
