// The live view's geometry while a pass comes in (NOAA 19 over Spain,
// 2019-05-21, with that day's elements): received lines keep their own sync
// times, untimed ones are filled from their neighbours, lines to come are
// predicted at the line rate, the geometry is built
// again only every so many lines yet always covers what has come in, and
// where it covers received lines it agrees with the geometry the finished
// pass gets from the same times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "apt/word_phase.h"
#include "geo/live_swath.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

constexpr double kStart = 1558458124.0;  // 2019-05-21 17:02:04 UTC

struct TimesCase {
    const char* name;
    int received;
    int rows;
    std::vector<int> untimed;  // received lines without a sync time
    double dropAfterLine;      // a block lost after this line: 0.5 s more (-1: none)
};

class LiveRowTimesTest : public ::testing::TestWithParam<TimesCase> {};

TEST_P(LiveRowTimesTest, EveryRowIsTimedFromTheReceivedLinesOwnTimes) {
    const TimesCase& c = GetParam();
    auto store = std::make_unique<LineStore>();
    for (int line = 0; line < c.received; ++line) {
        const bool untimed = std::find(c.untimed.begin(), c.untimed.end(), line) != c.untimed.end();
        const double lost = c.dropAfterLine >= 0 && line > c.dropAfterLine ? 0.5 : 0.0;
        if (!untimed) store->setLineSeconds(line, 3.25 + 0.5 * line + lost);
    }
    // A line beyond those received is not read even when it has a time.
    store->setLineSeconds(c.received, 999.0);
    const std::vector<double> t = LiveRowTimes(*store, c.received, c.rows, kStart, 0.5);
    ASSERT_EQ(int(t.size()), c.rows);
    std::vector<int> timed;
    for (int r = 0; r < c.received; ++r)
        if (std::isfinite(store->lineSeconds(r))) timed.push_back(r);
    for (int r = 0; r < c.rows; ++r) {
        double expected = kStart + 0.5 * r;  // nothing timed: all from the start
        if (!timed.empty()) {
            const auto after = std::lower_bound(timed.begin(), timed.end(), r);
            const int next = after == timed.end() ? -1 : *after;
            const int previous = after == timed.begin() ? -1 : *(after - 1);
            const double tn = next >= 0 ? kStart + store->lineSeconds(next) : 0.0;
            const double tp = previous >= 0 ? kStart + store->lineSeconds(previous) : 0.0;
            if (next == r)
                expected = tn;
            else if (previous < 0)
                expected = tn - 0.5 * (next - r);
            else if (next < 0)
                expected = tp + 0.5 * (r - previous);
            else
                expected = tp + (tn - tp) * (r - previous) / (next - previous);
        }
        EXPECT_NEAR(t[r], expected, 1e-6) << r;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LiveRowTimesTest,
    ::testing::Values(TimesCase{"steady", 100, 140, {}, -1}, TimesCase{"nothing_yet", 0, 40, {}, -1},
                      TimesCase{"first_and_last_lines_untimed", 60, 100, {0, 1, 57, 58, 59}, -1},
                      TimesCase{"lost_block_and_a_gap", 80, 120, {10, 11, 12}, 40.0},
                      TimesCase{"none_timed", 30, 70, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                                      18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

double DistanceKm(GeoPoint a, GeoPoint b) {
    constexpr double kDeg = M_PI / 180.0;
    const double x = (b.longitudeDeg - a.longitudeDeg) * kDeg * std::cos(0.5 * (a.latitudeDeg + b.latitudeDeg) * kDeg);
    const double y = (b.latitudeDeg - a.latitudeDeg) * kDeg;
    return 6371.0 * std::hypot(x, y);
}

TEST(LiveSwath, FollowsThePassAsItComesInAndAgreesWithTheFinishedGeometry) {
    std::string message;
    const auto orbit =
        LiveSwath::orbitFromElementFile(test::GeoDataFile("noaa_2019-05-21.txt"), "NOAA 19", kStart, &message);
    ASSERT_TRUE(orbit) << message;
    EXPECT_TRUE(message.empty()) << message;
    std::string missing;
    EXPECT_FALSE(LiveSwath::orbitFromElementFile(test::GeoDataFile("noaa_2019-05-21.txt"), "NOAA 99", kStart, &missing));
    EXPECT_FALSE(missing.empty());

    // Lines as the decoder times them: 0.5 s apart from 1.2 s after the
    // start, with a block lost after line 500; the first two lines, cut
    // before the sync was found, have no time. A replayed recording lost
    // 20.3 s of sound before line 650, which its line times do not show.
    constexpr int kLines = 900;
    auto lineSeconds = [](int line) { return 1.2 + 0.5 * line + (line > 500 ? 0.5 : 0.0); };
    auto lostBefore = [](int line) { return line >= 650 ? 20.3 : 0.0; };
    auto store = std::make_unique<LineStore>();
    LiveSwath live(*orbit, GeoreferenceOffsets{}, kStart);
    std::optional<SwathGeolocation> shown;
    int builds = 0;
    for (int lines = 1; lines <= kLines; ++lines) {
        if (lines > 2) store->setLineSeconds(lines - 1, lineSeconds(lines - 1));
        store->lineCount = lines;
        if (live.due(lines)) {
            std::string error;
            shown = live.build(*store, lines, &error, lostBefore);
            ASSERT_TRUE(shown) << error;
            ++builds;
            EXPECT_EQ(shown->rows(), live.rowsCovered());
        }
        ASSERT_GT(live.rowsCovered(), lines) << "every received line is placed";
    }
    EXPECT_LE(builds, kLines / 20 + 2) << "built again every ten seconds of pass, not every line";
    EXPECT_GE(builds, kLines / 40);
    // A new pass in the same store starts again.
    EXPECT_TRUE(live.due(1));

    // The finished pass's geometry from the same line times (the same
    // decoded words).
    SwathInputs whole;
    whole.orbit = *orbit;
    whole.wordLeadWords = kDecodedWordLeadWords;
    for (int r = 0; r < kLines; ++r) whole.rowUnixSeconds.push_back(kStart + lineSeconds(r) + lostBefore(r));
    const auto finished = SwathGeolocation::build(whole, nullptr);
    ASSERT_TRUE(finished);
    // The last build was at a multiple of 20 lines; its received rows match
    // the finished pass's, its predicted rows are off by the lost half second
    // at most (3.3 km) before the loss and match after it.
    for (const int row : {0, 250, 500, 501, 649, 650, 700, 880, 899}) {
        for (const double column : {0.0, 454.0, 908.0}) {
            const auto a = shown->groundPoint({column, double(row)});
            const auto b = finished->groundPoint({column, double(row)});
            ASSERT_TRUE(a && b) << row;
            EXPECT_LT(DistanceKm(*a, *b), row < live.linesAtLastBuild() ? 0.05 : 0.3) << row << " " << column;
        }
    }
    // Over Spain, westward of the Greenwich meridian at mid-pass nadir.
    const auto nadir = shown->subSatellitePoint(450);
    ASSERT_TRUE(nadir);
    EXPECT_NEAR(nadir->latitudeDeg, 40.0, 15.0);
    EXPECT_NEAR(nadir->longitudeDeg, 0.0, 15.0);
}

}  // namespace
}  // namespace sorae
