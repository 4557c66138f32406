#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "capture/sample_damage.h"

namespace sorae {
namespace {

// A second of a tone at `amplitude`, with `spikes` written over it.
std::vector<float> tone(double amplitude, const std::vector<std::pair<std::size_t, float>>& spikes) {
    std::vector<float> s(48000);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = float(amplitude * std::sin(0.3 * double(i)));
    for (const auto& [at, value] : spikes) s[at] = value;
    return s;
}

TEST(SampleDamage, OnlyWhatCannotBeSignalIsDamage) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::vector<float> samples;
        double peak;         // of what is not damage
        long long damaged;
        std::size_t first;
    } cases[] = {
        {"a clean tone", tone(0.8, {}), 0.8, 0, 0},
        {"a loud recording beyond full scale", tone(4.0, {}), 4.0, 0, 0},
        {"counts saved as floats", tone(30000.0, {}), 30000.0, 0, 0},
        {"one absurd sample", tone(0.8, {{24000, 1e6f}}), 0.8, 1, 24000},
        {"not numbers and infinities", tone(0.8, {{10, nan}, {20, -inf}, {30, inf}}), 0.8, 3, 10},
        {"a click a little louder than the rest", tone(0.8, {{5, 3.0f}}), 3.0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FloatLevelSurvey survey;
        std::vector<float> samples = c.samples;
        survey.add(samples.data(), samples.size());
        EXPECT_NEAR(survey.peak(), c.peak, c.peak * 1e-3);
        std::size_t first = 0;
        EXPECT_EQ(SilenceDamagedSamples(samples.data(), samples.size(), survey.damageLimit(), &first), c.damaged);
        if (c.damaged > 0) {
            EXPECT_EQ(first, c.first);
            EXPECT_EQ(samples[c.first], 0.0f);
        }
    }
    FloatLevelSurvey silence;
    const std::vector<float> zeros(100, 0.0f);
    silence.add(zeros.data(), zeros.size());
    EXPECT_TRUE(std::isinf(silence.damageLimit())) << "nothing heard, nothing judged";
}

}  // namespace
}  // namespace sorae
