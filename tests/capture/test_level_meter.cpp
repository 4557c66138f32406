// The level meter's pixels: zones, colours, even rounding, the peak held for
// one block, and the scan lines.
#include <gtest/gtest.h>

#include <vector>

#include "capture/level_meter.h"

using namespace sorae;

namespace {

using M = LevelMeter;

std::vector<double> envelopeWithPeak(double peak) {
    std::vector<double> e(12000, 0.0);
    for (std::size_t i = 0; i < e.size(); ++i) e[i] = double(i % 100) - 200.0;  // negatives ignored
    e[5000] = peak;
    return e;
}

// Colour of the row at height h (1 = bottom), read from an odd row: the
// even rows from the top are the black scan lines.
std::uint32_t atHeight(const LevelMeter& m, int h) { return m.pixel(6, M::kHeight - h); }

}  // namespace

TEST(LevelMeter, BarIsTheEvenRoundedScaledPeak) {
    EXPECT_EQ(M::barFor(envelopeWithPeak(0).data(), 12000), 0);
    EXPECT_EQ(M::barFor(envelopeWithPeak(39.9).data(), 12000), 0);  // 1.995 rows
    EXPECT_EQ(M::barFor(envelopeWithPeak(40).data(), 12000), 2);
    EXPECT_EQ(M::barFor(envelopeWithPeak(1479).data(), 12000), 72);  // 73.95 -> 72
    EXPECT_EQ(M::barFor(envelopeWithPeak(1480).data(), 12000), 74);
    EXPECT_EQ(M::barFor(envelopeWithPeak(1640).data(), 12000), 82);
    EXPECT_EQ(M::barFor(envelopeWithPeak(1e9).data(), 12000), 100);
    std::vector<double> negative(12000, -500.0);
    EXPECT_EQ(M::barFor(negative.data(), 12000), 0);
    // Only the samples handed in count.
    auto e = envelopeWithPeak(0);
    e[11999] = 2000;
    EXPECT_EQ(M::barFor(e.data(), 11999), 0);
}

TEST(LevelMeter, ZonesLightInTheirColours) {
    struct Case {
        double peak;
        int bar;
    };
    for (const Case c : {Case{0, 0}, Case{1480, 74}, Case{1640, 82}, Case{5000, 100}}) {
        LevelMeter m;
        const auto e = envelopeWithPeak(c.peak);
        m.update(e.data(), 12000);
        ASSERT_EQ(m.bar(), c.bar);
        for (int h = 1; h <= 100; h += 2) {  // odd heights are odd rows from the top
            const bool lit = h <= c.bar;
            std::uint32_t want;
            if (h <= 72) want = lit ? M::kYellow : M::kOlive;
            else if (h <= 80) want = lit ? M::kLime : M::kGreen;
            else want = lit ? M::kRed : M::kMaroon;
            EXPECT_EQ(atHeight(m, h), want) << "peak " << c.peak << " height " << h;
        }
        for (int y = 0; y < M::kHeight; y += 2) {
            for (int x = 0; x < M::kWidth; ++x) ASSERT_EQ(m.pixel(x, y), M::kBlack) << y;
        }
        for (int x = 0; x < M::kWidth; ++x) EXPECT_EQ(m.pixel(x, 99), m.pixel(0, 99));
    }
}

TEST(LevelMeter, PeakMarkerIsHeldForOneBlock) {
    LevelMeter m;
    const auto loud = envelopeWithPeak(1000);   // bar 50
    const auto quiet = envelopeWithPeak(400);   // bar 20
    m.update(loud.data(), 12000);
    EXPECT_EQ(m.peak(), 50);
    EXPECT_EQ(m.pixel(0, 100 - 49), M::kYellow) << "marker band (heights 49..50) with the bar";

    m.update(quiet.data(), 12000);
    EXPECT_EQ(m.bar(), 20);
    EXPECT_EQ(m.pixel(0, 100 - 49), M::kOlive) << "falling: the marker is let go";
    EXPECT_EQ(m.peak(), 0);

    m.update(quiet.data(), 12000);
    EXPECT_EQ(m.peak(), 20);
    EXPECT_EQ(m.pixel(0, 100 - 19), M::kYellow);

    // A peak in the overload zone is marked red above an unlit gap.
    LevelMeter n;
    const auto over = envelopeWithPeak(1800);  // bar 90
    n.update(over.data(), 12000);
    n.update(over.data(), 12000);  // held: still equal to the bar, drawn, then cleared
    EXPECT_EQ(n.peak(), 0);
    n.update(quiet.data(), 12000);  // new peak 20, shown at once
    EXPECT_EQ(n.peak(), 20);
    EXPECT_EQ(n.pixel(0, 100 - 89), M::kMaroon);
}
