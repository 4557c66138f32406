// Minute markers told from the space words of stored lines: by day (space A
// dark, space B white) and by night (both white), with noise, with fades
// that darken both spaces, and with lines lost between markers.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "apt/minute_markers.h"

namespace sorae {
namespace {

constexpr double kBlack = 90.0, kWhite = 1530.0, kSpaceB = 1480.0;

struct MarkerCase {
    const char* what;
    double spaceA;                 // channel A's own space level
    std::vector<int> markerLines;  // first black line of each marker
    std::vector<int> fadeLines;    // lines both of whose spaces drop to black
    std::vector<int> starts;       // expected
    std::optional<int> phase;      // of lines 0..599
};

class MinuteMarkerLines : public testing::TestWithParam<MarkerCase> {};

TEST_P(MinuteMarkerLines, AreFoundByTheirBlackPairAndTheWhiteAfter) {
    const MarkerCase& c = GetParam();
    constexpr int kLines = 600;
    auto store = std::make_unique<LineStore>();
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 40.0);
    std::vector<double> a(kLines, c.spaceA), b(kLines, kSpaceB), sync(kLines, 1.0);
    for (const int m : c.markerLines)
        for (int k = 0; k < 4; ++k) a[std::size_t(m + k)] = b[std::size_t(m + k)] = k < 2 ? kBlack : kWhite;
    // A fade darkens the whole line, its sync pulses too.
    for (const int f : c.fadeLines) a[std::size_t(f)] = b[std::size_t(f)] = kBlack, sync[std::size_t(f)] = 0.0;
    for (int line = 0; line < kLines; ++line) {
        for (int w = 0; w < 39; ++w)
            store->at(0, w, line) = ((w - 3) % 4 < 2 && w >= 3 && w < 31 ? kWhite : kBlack) * sync[std::size_t(line)];
        for (int w = 39; w < 86; ++w) {
            store->at(0, w, line) = a[std::size_t(line)] + noise(rng);
            store->at(1, w, line) = b[std::size_t(line)] + noise(rng);
        }
    }

    const MinuteMarkers m = FindMinuteMarkers(*store, 0, kLines);
    EXPECT_EQ(m.starts, c.starts);
    EXPECT_EQ(MinutePhase(m, 0, kLines - 1), c.phase);
    // Every marker's four lines are left out of the space, and a line
    // between them is not.
    for (const int s : c.markerLines) {
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(m.isMarked(s + k)) << s + k;
        EXPECT_FALSE(m.isMarked(s + 60));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Passes, MinuteMarkerLines,
    testing::Values(MarkerCase{"day", kBlack, {17, 137, 257, 377, 497}, {}, {17, 137, 257, 377, 497}, 17},
                    MarkerCase{"night", kWhite, {100, 220, 340, 460}, {}, {100, 220, 340, 460}, 100},
                    // a fade of one line, and one of two by day (space A dark after it), are no markers
                    MarkerCase{"day with fades", kBlack, {17, 137, 257}, {50, 300, 301}, {17, 137, 257}, 17},
                    // 30 lines lost before the last two markers: they and the first two disagree
                    MarkerCase{"lines lost", kWhite, {5, 125, 215, 335}, {}, {5, 125, 215, 335}, std::nullopt},
                    // a two-line fade at night darkens both spaces as a marker does, but its sync too
                    MarkerCase{"night with a fade", kWhite, {10, 130, 250}, {400, 401}, {10, 130, 250}, 10},
                    MarkerCase{"none", kBlack, {}, {}, {}, std::nullopt}),
    [](const testing::TestParamInfo<MarkerCase>& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace sorae
