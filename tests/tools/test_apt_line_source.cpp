// The words the test transmitter puts on each line: layout, sync words,
// space markers, pictures and the telemetry frame.
#include <gtest/gtest.h>

#include <string>

#include "testsignal/apt_line_source.h"
#include "testsignal/test_patterns.h"

using namespace sorae::testsignal;

namespace {

// Word string of '0'/'1' to 0/255 levels.
std::vector<int> levels(const std::string& bits) {
    std::vector<int> v;
    for (char c : bits) v.push_back(c == '1' ? 255 : 0);
    return v;
}

std::string repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

GreyPicture numberedPicture(int width, int height) {
    GreyPicture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.at(x, y) = std::uint8_t((x * 7 + y * 13) % 256);
    return p;
}

// The decoder's staircase test over 16 samples (index 0 oldest): samples
// 1..8 strictly rising and sample 9 not above sample 8.
bool staircase(const std::array<int, 16>& h) {
    for (int k = 0; k < 7; ++k)
        if (!(h[k + 1] > h[k])) return false;
    return !(h[8] > h[7]);
}

}  // namespace

TEST(AptLineSource, WordsOfOneLineLieWhereTheDecoderLooks) {
    const GreyPicture a = numberedPicture(909, 50), b = makeBarsPattern(50);
    const AptLineSource source(a, b, 2, 4);
    const long n = 45;  // wedge 6, no minute marker
    const AptLine line = source.line(n);

    const auto syncA = levels("000" + repeat("1100", 7) + "00000000");
    const auto syncB = levels("0000" + repeat("11100", 7));
    ASSERT_EQ(syncA.size(), 39u);
    ASSERT_EQ(syncB.size(), 39u);
    for (int i = 0; i < 39; ++i) {
        EXPECT_EQ(line[i], syncA[i]) << "sync A word " << i;
        EXPECT_EQ(line[1040 + i], syncB[i]) << "sync B word " << i;
    }
    for (int i = 39; i < 86; ++i) {
        EXPECT_EQ(line[i], 0) << "space A word " << i;
        EXPECT_EQ(line[1040 + i], 255) << "space B word " << i;
    }
    for (int x = 0; x < 909; ++x) {
        ASSERT_EQ(line[86 + x], a.at(x, n)) << "image A column " << x;
        ASSERT_EQ(line[1126 + x], b.at(x, n)) << "image B column " << x;
    }
    for (int i = 995; i < 1040; ++i) {
        EXPECT_EQ(line[i], telemetryWedgeValue(6, 2));
        EXPECT_EQ(line[1040 + i], telemetryWedgeValue(6, 4));
    }
    const AptHalfLine halfA = source.half(n, 0), halfB = source.half(n, 1);
    EXPECT_TRUE(std::equal(halfA.begin(), halfA.end(), line.begin()));
    EXPECT_TRUE(std::equal(halfB.begin(), halfB.end(), line.begin() + 1040));
}

TEST(AptLineSource, TelemetryFrameIsSixteenWedgesOfEightLines) {
    const AptLineSource source(makeGradientPattern(10), makeGradientPattern(10), 3, 0);
    for (long n = 0; n < 3 * 128; ++n) {
        const int wedge = int((n / 8) % 16) + 1;
        ASSERT_EQ(wedgeOfLine(n), wedge);
        ASSERT_EQ(source.line(n)[1000], telemetryWedgeValue(wedge, 3)) << "line " << n;
        ASSERT_EQ(source.line(n)[2040], telemetryWedgeValue(wedge, 0)) << "line " << n;
    }
    // Wedges 1..8 rise by eighths of full scale; 9 is zero modulation.
    for (int k = 1; k <= 8; ++k) EXPECT_NEAR(telemetryWedgeValue(k, 1), 255.0 * k / 8, 0.5);
    EXPECT_EQ(telemetryWedgeValue(9, 1), 0);
    // Wedge 16 repeats the chosen sensor's wedge; no sensor matches none.
    for (int s = 1; s <= 6; ++s) EXPECT_EQ(telemetryWedgeValue(16, s), telemetryWedgeValue(s, s));
    for (int k = 1; k <= 6; ++k) EXPECT_NE(telemetryWedgeValue(16, 0), telemetryWedgeValue(k, 0));
    EXPECT_EQ(telemetryWedgeValue(16, 9), telemetryWedgeValue(16, 0));
}

TEST(AptLineSource, OnlyAnAlignedFrameLooksLikeTheStaircase) {
    // Whatever line of the frame the decoder starts sampling on, 16 samples
    // one wedge apart pass its staircase test only when they are wedges
    // 1..16 in order, for every sensor.
    for (int sensor = 0; sensor <= 6; ++sensor) {
        for (int start = 0; start < 16; ++start) {
            std::array<int, 16> history;
            for (int i = 0; i < 16; ++i) history[i] = telemetryWedgeValue((start + i) % 16 + 1, sensor);
            EXPECT_EQ(staircase(history), start == 0) << "sensor " << sensor << " start " << start;
        }
    }
}

TEST(AptLineSource, SpaceCarriesMinuteMarkers) {
    const AptLineSource source(GreyPicture(), GreyPicture(), 1, 1);
    // Two black lines, two white, in both channels; the rest of the minute
    // channel A's space is dark and channel B's bright.
    struct Expected { long line; int a, b; };
    for (const Expected& e : {Expected{0, 0, 0}, {1, 0, 0}, {2, 255, 255}, {3, 255, 255}, {4, 0, 255},
                              {60, 0, 255}, {119, 0, 255}, {120, 0, 0}, {243, 255, 255}, {-118, 255, 255}}) {
        EXPECT_EQ(source.line(e.line)[50], e.a) << e.line;
        EXPECT_EQ(source.line(e.line)[1090], e.b) << e.line;
    }
    // An empty picture is black.
    EXPECT_EQ(source.line(3)[500], 0);
}

TEST(AptLineSource, PictureRowsRepeatAndNarrowPicturesAreStretched) {
    const GreyPicture narrow = numberedPicture(303, 7);
    const AptLineSource source(narrow, makeGradientPattern(1), 2, 2);
    const AptLine line = source.line(7 * 5 + 3);
    for (int x = 0; x < 909; ++x) ASSERT_EQ(line[86 + x], narrow.at(x / 3, 3)) << x;
    EXPECT_EQ(source.line(1234)[1126], 0);
    EXPECT_EQ(source.line(1234)[1126 + 908], 255);
}

TEST(AptLineSource, TruthPictureHoldsTheHalvesOfConsecutiveLines) {
    const AptLineSource source(makeTestCard(300, 'A', false), makeTestCard(300, 'B', true), 2, 4);
    const GreyPicture truth = source.truthPicture(1, 117, 20);
    ASSERT_EQ(truth.width, 1040);
    ASSERT_EQ(truth.height, 20);
    for (int r = 0; r < 20; ++r) {
        const AptHalfLine h = source.half(117 + r, 1);
        for (int w = 0; w < 1040; ++w) ASSERT_EQ(truth.at(w, r), h[w]) << r << "," << w;
    }
}

TEST(TestPatterns, CardShowsItsOrientation) {
    const GreyPicture card = makeTestCard(600, 'A', false);
    ASSERT_EQ(card.width, 909);
    ASSERT_EQ(card.height, 600);
    // Marked top-left corner, unmarked bottom corners: a turned or mirrored
    // picture differs from the card.
    auto cornerMean = [&](int x0, int y0) {
        double sum = 0;
        for (int y = y0; y < y0 + 30; ++y)
            for (int x = x0; x < x0 + 30; ++x) sum += card.at(x, y);
        return sum / 900.0;
    };
    EXPECT_GT(cornerMean(10, 10), 200.0);
    EXPECT_LT(cornerMean(10, 560), 120.0);
    EXPECT_LT(cornerMean(869, 560), 120.0);
    const GreyPicture inverted = makeTestCard(600, 'A', true);
    EXPECT_EQ(inverted.at(100, 300), 255 - card.at(100, 300));
    EXPECT_FALSE(makePattern("zigzag", 10, 'A').has_value());
    // Short recordings get short cards; nothing is drawn outside them.
    for (int h = 0; h < 70; ++h) {
        const GreyPicture small = makeTestCard(h, 'B', true);
        EXPECT_EQ(small.pixels.size(), std::size_t(909) * h);
    }
    ASSERT_TRUE(makePattern("bars", 10, 'A').has_value());
    EXPECT_EQ(makePattern("bars", 10, 'A')->at(0, 0), 0);
    EXPECT_EQ(makePattern("bars", 10, 'A')->at(908, 9), 255);
}
