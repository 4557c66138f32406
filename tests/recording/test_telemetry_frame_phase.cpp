// The phase of the telemetry frames from made-up telemetry levels: the
// frame's wedges with noise, over stretches of lines that hold all, some or
// none of the drop from wedge 8 to wedge 9.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "recording/telemetry_frame_phase.h"

namespace sorae {
namespace {

// Wedges 1..16 of a visible channel: the staircase, black, four thermistor
// readings, patch, back scan, and wedge 2 repeated as the channel's name.
constexpr double kWedges[16] = {1, 2, 3, 4, 5, 6, 7, 8, 0, 3.1, 3.1, 3.2, 3.1, 2.5, 0.4, 2};

struct PhaseCase {
    const char* name;
    int frameStart;       // stored line of a frame's first line
    int first, last;      // the lines looked at
    double noise;         // standard deviation, in eighths of white
    bool inverted;        // the levels upside down (no staircase)
    std::optional<int> expected;
};

std::vector<double> levels(const PhaseCase& c) {
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, c.noise);
    std::vector<double> out(700);
    for (int j = 0; j < int(out.size()); ++j) {
        const int inFrame = ((j - c.frameStart) % 128 + 128) % 128;
        const double v = kWedges[inFrame / 8] + noise(random);
        out[std::size_t(j)] = c.inverted ? 8.0 - v : v;
    }
    return out;
}

class TelemetryPhase : public testing::TestWithParam<PhaseCase> {};

TEST_P(TelemetryPhase, FromTheDropOfWedgeEightToNine) {
    const PhaseCase& c = GetParam();
    EXPECT_EQ(TelemetryFramePhase(levels(c), c.first, c.last), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, TelemetryPhase,
    testing::Values(PhaseCase{"ManyFrames", 37, 0, 699, 0.5, false, 37},
                    PhaseCase{"FrameStartsBeforeTheLines", 300, 310, 450, 0.3, false, 300 % 128},
                    PhaseCase{"NoDropInTheLines", 10, 75, 195, 0.3, false, std::nullopt},
                    // Short stretches between frequent gaps: their few steps could pass
                    // for the drop, so only the whole staircase tells.
                    PhaseCase{"DropWithoutTheWholeStaircase", 0, 30, 120, 0.2, false, std::nullopt},
                    PhaseCase{"DropWithTheWholeStaircase", 0, 8, 72, 0.2, false, 0},
                    PhaseCase{"NoisyButLong", 90, 0, 699, 2.0, false, 90},
                    PhaseCase{"NoiseOnly", 0, 0, 699, 50.0, false, std::nullopt},
                    PhaseCase{"NoStaircase", 37, 0, 699, 0.3, true, std::nullopt}),
    [](const testing::TestParamInfo<PhaseCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sorae
