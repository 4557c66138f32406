// Ground tracks: the edge-splitting path, the satellite glyph, and tracks
// computed from the element file.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <set>
#include <utility>

#include "map/ground_track_path.h"
#include "map/qt/map_painting.h"
#include "map/satellite_glyph.h"
#include "map/track_builder.h"
#include "map_test_support.h"

namespace sorae {
namespace {

constexpr double kDeg = 3.141592653589793 / 180.0;

TEST(GroundTrackPath, SplitsAtEitherSideEdge) {
    GroundTrackPath path(1040);
    EXPECT_TRUE(path.add({100, 50, true}).empty());
    EXPECT_EQ(path.firstX(), 100);
    ASSERT_EQ(path.add({90, 60, true}).size(), 1u);
    EXPECT_TRUE(path.add({5, 70, false}).empty());  // hidden: skipped, changes nothing
    // Westward over the left edge: two pieces meeting both edges.
    path.add({3, 70, true});
    std::vector<TrackLine> w = path.add({1035, 80, true});
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].x0, 3);
    EXPECT_EQ(w[0].x1, -5);
    EXPECT_EQ(w[1].x0, 1043);
    EXPECT_EQ(w[1].x1, 1035);
    // Eastward over the right edge.
    std::vector<TrackLine> e = path.add({2, 90, true});
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].x0, 1035);
    EXPECT_EQ(e[0].x1, 1042);
    EXPECT_EQ(e[1].x0, -5);
    EXPECT_EQ(e[1].x1, 2);
    EXPECT_EQ(e[1].y0, 80);
    EXPECT_EQ(e[1].y1, 90);
}

TEST(SatelliteGlyph, SeventyOneDistinctPixelsInTheBox) {
    const auto& g = SatelliteGlyphPixels();
    std::set<std::pair<int, int>> seen;
    int perRow[8] = {};
    for (const GlyphPixel& p : g) {
        EXPECT_GE(p.dx, -13);
        EXPECT_LE(p.dx, 13);
        EXPECT_GE(p.dy, -4);
        EXPECT_LE(p.dy, 3);
        seen.insert({p.dx, p.dy});
        ++perRow[p.dy + 4];
    }
    EXPECT_EQ(seen.size(), 71u);
    const int expected[8] = {4, 8, 14, 8, 8, 8, 12, 9};
    for (int r = 0; r < 8; ++r) EXPECT_EQ(perRow[r], expected[r]) << "row " << r;
    EXPECT_TRUE(seen.count({0, 0}));     // the reference point itself
    EXPECT_TRUE(seen.count({-13, 1}));   // row 5, column 0
    EXPECT_TRUE(seen.count({13, -1}));   // row 3, column 26
}

TEST(SatelliteGlyph, DrawnIntoPixelsAndClippedAtEdges) {
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::black);
    DrawSatelliteGlyph(20, 10, 0x0080FF, img);
    int set = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) set += maptest::PixelValue(img, x, y) == 0x0080FFu;
    EXPECT_EQ(set, 71);
    EXPECT_EQ(maptest::PixelValue(img, 20, 6), 0x0080FFu);  // row 0, column 13
    img.fill(Qt::black);
    DrawSatelliteGlyph(0, 0, 0xFFFFFF, img);  // most of it off the bitmap
    DrawSatelliteGlyph(-200, -200, 0xFFFFFF, img);
    set = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) set += maptest::PixelValue(img, x, y) == 0xFFFFFFu;
    EXPECT_EQ(set, 4 + 3 + 6 + 4);  // the set pixels of rows 4..7 at columns 13..26
}

class TrackBuilderTest : public ::testing::Test {
protected:
    TrackBuilderTest() {
        EXPECT_EQ(ReadElementFile(sets, count, maptest::ElementFixturePath()), 0);
        context.elementFilePath = maptest::ElementFixturePath();
        context.receptionNames = {"", "", "", "NOAA-15", "", "NOAA-17", "NOAA-18", "NOAA-19"};
        context.nextPass.satellite = "NOAA-19";
        context.nowUtc = UtcInstant{2019, 1, 25, 23, 30, 0};
    }
    static double ArcDeg(const TrackPoint& a, const TrackPoint& b) {
        const double c = std::sin(a.latitudeDeg * kDeg) * std::sin(b.latitudeDeg * kDeg) +
                         std::cos(a.latitudeDeg * kDeg) * std::cos(b.latitudeDeg * kDeg) *
                             std::cos((a.longitudeDeg - b.longitudeDeg) * kDeg);
        return std::acos(std::min(1.0, c)) / kDeg;
    }
    ElementSetArray sets;
    int count = 0;
    MapTrackContext context;
};

TEST_F(TrackBuilderTest, SelectedSatellitesInFileOrderWithColourSlots) {
    const std::vector<SatelliteTrack> tracks = BuildGroundTracks(sets, count, context);
    ASSERT_EQ(tracks.size(), 4u);
    const char* names[] = {"NOAA-15", "NOAA-17", "NOAA-18", "NOAA-19"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tracks[i].name, names[i]);
        EXPECT_EQ(tracks[i].colourSlot, i);
        EXPECT_EQ(tracks[i].nextPass, i == 3);
        ASSERT_EQ(tracks[i].points.size(), 103u);
    }
    context.matchingSatelliteCount = 9;
    EXPECT_TRUE(BuildGroundTracks(sets, count, context).empty());
    context.matchingSatelliteCount = 0;
    context.receptionNames = {};
    EXPECT_TRUE(BuildGroundTracks(sets, count, context).empty());
}

TEST_F(TrackBuilderTest, TrackIsOneOrbitMovingWestAcrossMidnight) {
    const std::vector<SatelliteTrack> tracks = BuildGroundTracks(sets, count, context);
    ASSERT_EQ(tracks.size(), 4u);
    const SatelliteTrack& t = tracks[3];
    for (std::size_t i = 1; i < t.points.size(); ++i) {
        const double step = ArcDeg(t.points[i - 1], t.points[i]);
        EXPECT_GT(step, 3.0) << i;  // about 6.6 km/s over the ground
        EXPECT_LT(step, 3.8) << i;
    }
    // After 102 minutes (one period) the satellite is back at nearly the same
    // latitude, about 25 degrees further west as the Earth turned under it.
    EXPECT_NEAR(t.points.back().latitudeDeg, t.points.front().latitudeDeg, 3.0);
    double drift = t.points.back().longitudeDeg - t.points.front().longitudeDeg;
    if (drift > 180) drift -= 360;
    if (drift < -180) drift += 360;
    EXPECT_NEAR(drift, -25.5, 1.5);

    // Each step is the satellite's position that many minutes later, also
    // past midnight UT where the clock's day turns.
    for (const int k : {0, 29, 31, 60, 102}) {
        UtcInstant later{2019, 1, 25, 23, 30, 0};
        int minutes = 30 + k;
        later.hour = 23 + minutes / 60;
        later.minute = minutes % 60;
        if (later.hour >= 24) {
            later.hour -= 24;
            later.day = 26;
        }
        const std::optional<GeodeticPoint> p = PresentSubSatellitePoint(sets, count, "NOAA-19", later);
        ASSERT_TRUE(p);
        EXPECT_NEAR(p->latitudeRad / kDeg, t.points[k].latitudeDeg, 1e-6) << k;
        EXPECT_NEAR(p->longitudeRad / kDeg, t.points[k].longitudeDeg, 1e-6) << k;
        EXPECT_NEAR(p->heightKm, 860.0, 40.0);
    }
}

TEST_F(TrackBuilderTest, PassTrackRunsToThePassEndInSeconds) {
    context.stationNow = EncodeDayTime(2019, 1, 26, 8, 30, 0);
    context.currentPassEnd = EncodeDayTime(2019, 1, 26, 8, 32, 30);
    const std::optional<PassTrack> pass = BuildPassTrack(sets, count, "NOAA-19", context);
    ASSERT_TRUE(pass);
    EXPECT_EQ(pass->track.points.size(), 151u);  // now and 150 one-second steps
    EXPECT_TRUE(pass->track.nextPass);
    EXPECT_EQ(pass->track.colourSlot, 0);
    for (std::size_t i = 1; i < pass->track.points.size(); ++i)
        EXPECT_LT(ArcDeg(pass->track.points[i - 1], pass->track.points[i]), 0.08);
    EXPECT_FALSE(BuildPassTrack(sets, count, "NOAA-99", context));
}

// A replayed NOAA-17 pass over Tokyo: the pass list gives AOS 04:36:28 UT,
// LOS 04:51:12 and a culmination of 80.9 degrees at 04:43:47.
TEST_F(TrackBuilderTest, HighestElevationOfAReplayedStretch) {
    const double lat = 35.6894875, lon = 139.6917064;
    const UtcInstant aos{2019, 1, 25, 4, 36, 28};
    const auto whole = MaximumElevationDuring(sets, count, "NOAA-17", aos, 14.73, lat, lon);
    ASSERT_TRUE(whole);
    EXPECT_NEAR(*whole, 80.9, 0.15);
    // Three minutes after acquisition the satellite is still low.
    const auto start = MaximumElevationDuring(sets, count, "NOAA-17", aos, 3.0, lat, lon);
    ASSERT_TRUE(start);
    EXPECT_GT(*start, 5.0);
    EXPECT_LT(*start, 30.0);
    EXPECT_FALSE(MaximumElevationDuring(sets, count, "NOAA-99", aos, 14.0, lat, lon));
}

TEST(PassWindow, MinutesAndSecondsToTheEnd) {
    const DayTime now = EncodeDayTime(2019, 1, 26, 8, 30, 0);
    EXPECT_DOUBLE_EQ(MinutesToPassEnd(EncodeDayTime(2019, 1, 26, 8, 44, 30), now), 14.5);
    // Whole hours are dropped, as the pass window always has.
    EXPECT_DOUBLE_EQ(MinutesToPassEnd(EncodeDayTime(2019, 1, 26, 9, 32, 3), now), 2.05);
    EXPECT_DOUBLE_EQ(MinutesToPassEnd(EncodeDayTime(2019, 1, 26, 8, 29, 0), now), 0.0);
}

TEST(ElementFileTrackSource, FailuresGiveNothing) {
    ElementFileTrackSource source;
    source.context.elementFilePath = std::string(SORAE_BINARY_DIR) + "/no-such-dir/SatTle.txt";
    EXPECT_FALSE(source.groundTracks());
    EXPECT_FALSE(source.passTrack());
    EXPECT_FALSE(ShowPassPosition("NOAA-19", source.context));
    source.context.elementFilePath = maptest::ElementFixturePath();
    source.context.passCalcBusy = true;
    EXPECT_FALSE(source.groundTracks());
    source.context.passCalcBusy = false;
    ASSERT_TRUE(source.groundTracks());
    EXPECT_TRUE(source.groundTracks()->empty());  // nothing selected: still a success
}

TEST(ElementFileTrackSource, PassTrackReportsTheStatusLine) {
    ElementFileTrackSource source;
    source.context.elementFilePath = maptest::ElementFixturePath();
    source.context.nextPass.satellite = "NOAA-18";
    source.context.nextPass.frequencyMHz = 137.9125;
    source.context.nowUtc = UtcInstant{2019, 1, 25, 3, 10, 0};
    source.context.stationNow = EncodeDayTime(2019, 1, 25, 12, 10, 0);
    source.context.currentPassEnd = EncodeDayTime(2019, 1, 25, 12, 11, 0);
    source.context.nextPass.start = EncodeDayTime(2019, 1, 25, 12, 2, 0);
    source.context.nextPass.end = source.context.currentPassEnd;
    std::string line;
    source.onPassStatus = [&](const std::string& s) { line = s; };
    const std::optional<SatelliteTrack> t = source.passTrack();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->points.size(), 61u);
    EXPECT_EQ(line.rfind("現在通過中: NOAA-18 137.9125MHz ", 0), 0u) << line;
    EXPECT_EQ(ShowPassPosition("NOAA-18", source.context), line);

    // Before its acquisition (a manual reception started early) and after
    // its loss there is no pass under way: no line.
    for (const DayTime outside : {EncodeDayTime(2019, 1, 25, 12, 1, 0), EncodeDayTime(2019, 1, 25, 12, 11, 1)}) {
        source.context.stationNow = outside;
        line = "unchanged";
        ASSERT_TRUE(source.passTrack());
        EXPECT_EQ(line, "");
        EXPECT_EQ(ShowPassPosition("NOAA-18", source.context), std::string());
    }
}

// The next pass's acquisition and loss sit on its satellite's ground track
// at their own minutes, labelled with their times; only the satellite of
// the next pass has them, and only while they are ahead.
TEST(GroundTracks, NextPassTimesLieOnTheTrack) {
    ElementSetArray sets;
    int count = 0;
    ASSERT_EQ(ReadElementFile(sets, count, maptest::ElementFixturePath()), 0);
    MapTrackContext context;
    context.receptionNames = {"", "", "", "NOAA-15", "", "", "NOAA-18", "NOAA-19"};
    context.nowUtc = UtcInstant{2019, 1, 25, 3, 10, 0};
    context.stationNow = EncodeDayTime(2019, 1, 25, 12, 10, 0);
    context.nextPass.satellite = "NOAA-18";
    context.nextPass.start = EncodeDayTime(2019, 1, 25, 12, 30, 0);
    context.nextPass.end = EncodeDayTime(2019, 1, 25, 12, 44, 0);
    const std::vector<SatelliteTrack> tracks = BuildGroundTracks(sets, count, context);
    int withMarks = 0;
    for (const SatelliteTrack& t : tracks) {
        SCOPED_TRACE(t.name);
        EXPECT_GT(t.heightKm, 700.0);
        EXPECT_LT(t.heightKm, 900.0);
        if (!t.nextPass) {
            EXPECT_TRUE(t.marks.empty());
            continue;
        }
        ++withMarks;
        ASSERT_EQ(t.marks.size(), 2u);
        EXPECT_EQ(t.marks[0].label, "AOS 12:30");
        EXPECT_EQ(t.marks[1].label, "LOS 12:44");
        ASSERT_GT(t.points.size(), 34u);
        EXPECT_NEAR(t.marks[0].at.latitudeDeg, t.points[20].latitudeDeg, 1e-6);
        EXPECT_NEAR(t.marks[0].at.longitudeDeg, t.points[20].longitudeDeg, 1e-6);
        EXPECT_NEAR(t.marks[1].at.latitudeDeg, t.points[34].latitudeDeg, 1e-6);
        EXPECT_NEAR(t.marks[1].at.longitudeDeg, t.points[34].longitudeDeg, 1e-6);
    }
    EXPECT_EQ(withMarks, 1);

    // Under way: only the loss is ahead.
    context.stationNow = EncodeDayTime(2019, 1, 25, 12, 35, 0);
    context.nowUtc = UtcInstant{2019, 1, 25, 3, 35, 0};
    for (const SatelliteTrack& t : BuildGroundTracks(sets, count, context)) {
        if (!t.nextPass) continue;
        ASSERT_EQ(t.marks.size(), 1u);
        EXPECT_EQ(t.marks[0].label, "LOS 12:44");
    }
}

}  // namespace
}  // namespace sorae
