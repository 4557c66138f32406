// The rendered map checked by its pixels, on the shipped world outline.
#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>

#include "map/map_projection.h"
#include "map/qt/map_renderer.h"
#include "map/track_builder.h"
#include "common/qt_application.h"
#include "map_test_support.h"

namespace sorae {
namespace {

using maptest::PixelValue;

class MapRenderingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::ensureGuiApplication();
    }

    MapRenderingTest() : renderer(settings) {
        renderer.setMapFilePath(maptest::ShippedMapPath());
        renderer.resize(1042, 640);
        renderer.SetUpProjection();
    }

    ProjectedPoint At(double lat, double lon) const {
        const QImage& img = renderer.workBitmap();
        return ProjectPoint(renderer.projection(), img.width(), img.height(), lat, lon);
    }

    AppSettings settings;
    MapRenderer renderer;
    maptest::FixedTrackSource tracks;
};

TEST_F(MapRenderingTest, FlatMapShowsLandSeaGridAndLabels) {
    renderer.DrawBaseMap();
    ASSERT_TRUE(renderer.RedrawMap(tracks));
    const QImage& img = renderer.workBitmap();
    maptest::MaybeSaveShot(img, "flat_no_tracks.png");

    // Points just off the equator: the equator itself carries a grid line.
    const ProjectedPoint land = At(0.5, 20.5);  // the Congo basin
    EXPECT_EQ(PixelValue(img, land.x, land.y), settings.mapCoastColor);
    const ProjectedPoint sea = At(0.5, -29.5);  // the middle of the Atlantic
    EXPECT_EQ(PixelValue(img, sea.x, sea.y), settings.mapBackColor);
    const ProjectedPoint pacific = At(-30.5, -130.5);
    EXPECT_EQ(PixelValue(img, pacific.x, pacific.y), settings.mapBackColor);
    // Antarctica fills the map down to its bottom row, across the whole width.
    for (int x = 0; x < img.width(); x += 50)
        EXPECT_NE(PixelValue(img, x, img.height() - 1), settings.mapBackColor) << "x=" << x;

    // A parallel over open sea is drawn in the grid colour: 40S in the Indian Ocean.
    const ProjectedPoint parallel = At(-40.0, 80.5);
    EXPECT_EQ(PixelValue(img, parallel.x, parallel.y), settings.grid);
    const ProjectedPoint meridian = At(-45.5, -150.0);
    EXPECT_EQ(PixelValue(img, meridian.x, meridian.y), settings.grid);

    // Label texts in the grid-number colour near the right edge and the bottom.
    int labelPixels = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = img.width() - 24; x < img.width(); ++x)
            if (PixelValue(img, x, y) == settings.gridNum) ++labelPixels;
    EXPECT_GT(labelPixels, 100);
    int bottomLabelPixels = 0;
    for (int y = img.height() - 15; y < img.height(); ++y)
        for (int x = 0; x < img.width() - 30; ++x)
            if (PixelValue(img, x, y) == settings.gridNum) ++bottomLabelPixels;
    EXPECT_GT(bottomLabelPixels, 200);
}

TEST_F(MapRenderingTest, StationCrossAndHomeLabel) {
    renderer.DrawBaseMap();
    renderer.RedrawMap(tracks);
    const QImage& img = renderer.workBitmap();
    const ProjectedPoint s = At(settings.locateN, settings.locateE);
    EXPECT_EQ(s.x, 521);  // the station is at the centre column of an even-width map
    for (int d = -4; d <= 4; ++d) {
        EXPECT_EQ(PixelValue(img, s.x + d, s.y), 0xFFFFFFu) << d;
        EXPECT_EQ(PixelValue(img, s.x, s.y + d), 0xFFFFFFu) << d;
    }
    EXPECT_NE(PixelValue(img, s.x + 5, s.y), 0xFFFFFFu);
    EXPECT_NE(PixelValue(img, s.x - 5, s.y), 0xFFFFFFu);
    EXPECT_NE(PixelValue(img, s.x, s.y - 5), 0xFFFFFFu);
    // The HOME label: white text with black around it, below right of the cross.
    int white = 0, black = 0;
    for (int y = s.y + 5; y < s.y + 25; ++y)
        for (int x = s.x + 5; x < s.x + 50; ++x) {
            const ColourValue v = PixelValue(img, x, y);
            white += v == 0xFFFFFF;
            black += v == 0;
        }
    EXPECT_GT(white, 20);
    EXPECT_GT(black, 20);
}

TEST_F(MapRenderingTest, FlatMapKeepsPictureWhenTracksUnavailable) {
    renderer.DrawBaseMap();
    tracks.ground.reset();
    EXPECT_FALSE(renderer.RedrawMap(tracks));
}

TEST_F(MapRenderingTest, MissingMapFileLeavesBackgroundAndGrid) {
    renderer.setMapFilePath(std::string(SORAE_BINARY_DIR) + "/no-such-dir/AllWorld.map");
    renderer.DrawBaseMap();
    const QImage& img = renderer.baseBitmap();
    const ProjectedPoint land = At(0.5, 20.5);
    EXPECT_EQ(PixelValue(img, land.x, land.y), settings.mapBackColor);
    const ProjectedPoint equator = At(0.0, 20.5);
    EXPECT_EQ(PixelValue(img, equator.x, equator.y), settings.grid);
    const ProjectedPoint parallel = At(10.0, 20.5);
    EXPECT_EQ(PixelValue(img, parallel.x, parallel.y), settings.grid);
}

TEST_F(MapRenderingTest, GlobeModeDiskAndInset) {
    renderer.setPassMode(true);
    ASSERT_TRUE(renderer.RedrawMap(tracks));
    EXPECT_TRUE(renderer.lastDrawnMapMode());
    const QImage& img = renderer.workBitmap();
    maptest::MaybeSaveShot(img, "globe_work.png");

    // Black outside the disk, which is centred at (520, 320) with radius 288.
    for (const QPoint p : {QPoint(5, 5), QPoint(1030, 630), QPoint(230, 320), QPoint(811, 320),
                           QPoint(520, 29), QPoint(520, 611), QPoint(300, 80)})
        EXPECT_EQ(PixelValue(img, p.x(), p.y()), 0u) << p.x() << "," << p.y();
    int disk = 0;
    for (const QPoint p : {QPoint(240, 320), QPoint(800, 320), QPoint(520, 40), QPoint(520, 600)})
        disk += PixelValue(img, p.x(), p.y()) != 0u;
    EXPECT_EQ(disk, 4);
    // The station sits at the disk centre.
    EXPECT_EQ(PixelValue(img, 520, 320), 0xFFFFFFu);
    EXPECT_EQ(PixelValue(img, 516, 320), 0xFFFFFFu);

    // The inset is the 300 x 300 square around the centre with a white frame.
    const QImage& inset = renderer.inset();
    ASSERT_EQ(inset.size(), QSize(300, 300));
    for (int i = 0; i < 300; i += 37) {
        EXPECT_EQ(PixelValue(inset, i, 0), 0xFFFFFFu);
        EXPECT_EQ(PixelValue(inset, i, 299), 0xFFFFFFu);
        EXPECT_EQ(PixelValue(inset, 0, i), 0xFFFFFFu);
        EXPECT_EQ(PixelValue(inset, 299, i), 0xFFFFFFu);
    }
    EXPECT_EQ(PixelValue(inset, 150, 150), 0xFFFFFFu);  // the station cross
    EXPECT_EQ(PixelValue(inset, 100, 100), PixelValue(img, 470, 270));
    maptest::MaybeSaveShot(inset, "globe_inset.png");
}

TEST_F(MapRenderingTest, GlobeModeDrawsLandFacingTheStationOnly) {
    renderer.setPassMode(true);
    renderer.SetUpProjection();
    renderer.DrawBaseMap();
    const QImage& img = renderer.baseBitmap();
    const MapProjection& p = renderer.projection();
    // Honshu near the station is land.
    const ProjectedPoint japan = ProjectPoint(p, img.width(), img.height(), 36.5, 138.5);
    ASSERT_TRUE(japan.visible);
    EXPECT_EQ(PixelValue(img, japan.x, japan.y), settings.mapCoastColor);
    // Open Pacific south-east of Japan is sea.
    const ProjectedPoint sea = ProjectPoint(p, img.width(), img.height(), 25.5, 150.5);
    EXPECT_EQ(PixelValue(img, sea.x, sea.y), settings.mapBackColor);
}

TEST_F(MapRenderingTest, TrackAcrossLeftEdgeIsDrawnAsTwoPieces) {
    // A track running west-south-west from near the left edge past it.
    SatelliteTrack t;
    t.name = "TEST-1";
    t.colourSlot = 2;
    const double left = renderer.projection().LeftLongitude;
    t.points = {{10.0, left + 5.0}, {9.0, left + 1.0}, {8.0, left - 3.0}, {7.0, left - 7.0}};
    tracks.ground = std::vector<SatelliteTrack>{t};
    renderer.DrawBaseMap();
    ASSERT_TRUE(renderer.RedrawMap(tracks));
    const QImage& img = renderer.workBitmap();
    const ColourValue trackColour = settings.satTrack[2];
    auto countInRow = [&](int y, int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; ++x) n += PixelValue(img, x, y) == trackColour;
        return n;
    };
    const ProjectedPoint before = At(9.0, left + 1.0);
    const ProjectedPoint after = At(8.0, left - 3.0);
    EXPECT_LT(before.x, 10);
    EXPECT_GT(after.x, img.width() - 20);
    // Pieces meet both edges; nothing is drawn across the middle of the map.
    int nearLeft = 0, nearRight = 0, middle = 0;
    for (int y = before.y; y <= after.y; ++y) {
        nearLeft += countInRow(y, 0, 4);
        nearRight += countInRow(y, img.width() - 12, img.width());
        middle += countInRow(y, 40, img.width() - 40);
    }
    EXPECT_GT(nearLeft, 0);
    EXPECT_GT(nearRight, 0);
    EXPECT_EQ(middle, 0);
}

TEST_F(MapRenderingTest, MarkAndLabelOfTrackedSatellites) {
    SatelliteTrack next;
    next.name = "NOAA-19";
    next.colourSlot = 0;
    next.nextPass = true;
    next.points = {{-20.0, 100.0}, {-17.0, 99.0}};
    SatelliteTrack other;
    other.name = "NOAA-18";
    other.colourSlot = 1;
    // Close to the right edge: the label moves left, the mark stays.
    const double right = renderer.projection().LeftLongitude + 359.0;
    other.points = {{30.0, right}, {33.0, right - 1.0}};
    tracks.ground = std::vector<SatelliteTrack>{next, other};
    renderer.DrawBaseMap();
    ASSERT_TRUE(renderer.RedrawMap(tracks));
    const QImage& img = renderer.workBitmap();

    const ProjectedPoint n = At(-20.0, 100.0);
    EXPECT_EQ(PixelValue(img, n.x, n.y), settings.satNextMark);  // glyph reference pixel is set
    EXPECT_EQ(PixelValue(img, n.x, n.y - 4), settings.satNextMark);  // row 0, column 13
    EXPECT_EQ(PixelValue(img, n.x - 13, n.y), 0u);  // black outline left of the panel's tip

    const ProjectedPoint o = At(30.0, right);
    EXPECT_EQ(PixelValue(img, o.x, o.y), settings.satMark[1]);
    int labelLeft = 0, labelRight = 0;
    for (int y = o.y + 10; y < o.y + 24; ++y) {
        for (int x = o.x - 55; x < o.x - 5; ++x) labelLeft += PixelValue(img, x, y) == settings.satMark[1];
        for (int x = o.x + 5; x < img.width(); ++x) labelRight += PixelValue(img, x, y) == settings.satMark[1];
    }
    EXPECT_GT(labelLeft, 10);
    EXPECT_EQ(labelRight, 0);
    maptest::MaybeSaveShot(img, "flat_marks.png");
}

TEST_F(MapRenderingTest, PassTrackOnFarSideHidesMark) {
    renderer.setPassMode(true);
    SatelliteTrack t;
    t.name = "NOAA-15";
    t.nextPass = true;
    // Antipode of the station, moving further away.
    t.points = {{-35.0, -40.0}, {-36.0, -41.0}};
    tracks.pass = t;
    ASSERT_TRUE(renderer.RedrawMap(tracks));
    const QImage& img = renderer.workBitmap();
    int white = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) white += PixelValue(img, x, y) == 0xFFFFFFu;
    EXPECT_EQ(white, 17);  // only the station cross is white

    // On the near side the mark is drawn white at its position.
    t.points = {{30.0, 140.0}, {31.0, 139.7}, {32.0, 139.4}};
    tracks.pass = t;
    ASSERT_TRUE(renderer.RedrawMap(tracks));
    const ProjectedPoint m = ProjectPoint(renderer.projection(), 1042, 640, 30.0, 140.0);
    EXPECT_EQ(PixelValue(renderer.workBitmap(), m.x, m.y), 0xFFFFFFu);
}

TEST_F(MapRenderingTest, ScreenshotsWithComputedTracks) {
    // The four default satellites over the fixture's element sets at its date.
    ElementFileTrackSource source;
    source.context.elementFilePath = maptest::ElementFixturePath();
    source.context.receptionNames = {"", "", "", "NOAA-15", "", "NOAA-17", "NOAA-18", "NOAA-19"};
    source.context.nextPass.satellite = "NOAA-18";
    source.context.nowUtc = UtcInstant{2019, 1, 25, 3, 10, 0};
    renderer.DrawBaseMap();
    ASSERT_TRUE(renderer.RedrawMap(source));
    const QImage& img = renderer.workBitmap();
    maptest::MaybeSaveShot(img, "flat_tracks.png");
    int trackPixels = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            trackPixels += PixelValue(img, x, y) == settings.satNextTrack;
    EXPECT_GT(trackPixels, 800);  // about one orbit drawn for the next pass's satellite
}

TEST_F(MapRenderingTest, GlobePassTrackFromElementSets) {
    ElementSetArray sets;
    int count = 0;
    ASSERT_EQ(ReadElementFile(sets, count, maptest::ElementFixturePath()), 0);
    // The first minute of the day at which NOAA-18 is within 12 degrees of arc
    // of the station: in the middle of a pass.
    int found = -1;
    for (int m = 0; m < 1440 && found < 0; ++m) {
        const UtcInstant t{2019, 1, 25, m / 60, m % 60, 0};
        const std::optional<GeodeticPoint> g = PresentSubSatellitePoint(sets, count, "NOAA-18", t);
        ASSERT_TRUE(g);
        const double d = 3.141592653589793 / 180.0;
        const double c = std::sin(g->latitudeRad) * std::sin(settings.locateN * d) +
                         std::cos(g->latitudeRad) * std::cos(settings.locateN * d) *
                             std::cos(g->longitudeRad - settings.locateE * d);
        if (c > std::cos(12.0 * d)) found = m;
    }
    ASSERT_GE(found, 5);
    const int start = found - 5;
    ElementFileTrackSource source;
    source.context.elementFilePath = maptest::ElementFixturePath();
    source.context.nextPass.satellite = "NOAA-18";
    source.context.nextPass.frequencyMHz = 137.9125;
    source.context.nowUtc = UtcInstant{2019, 1, 25, start / 60, start % 60, 0};
    source.context.stationLatitude = settings.locateN;
    source.context.stationLongitude = settings.locateE;
    const int local = start + 9 * 60;  // station time is UT + 9 h
    source.context.stationNow = EncodeDayTime(2019, 1, 25 + local / 1440, local % 1440 / 60, local % 60, 0);
    const int end = local + 12;
    source.context.currentPassEnd = EncodeDayTime(2019, 1, 25 + end / 1440, end % 1440 / 60, end % 60, 0);
    source.context.nextPass.start = source.context.stationNow;
    source.context.nextPass.end = source.context.currentPassEnd;
    std::string status;
    source.onPassStatus = [&](const std::string& s) { status = s; };

    renderer.setPassMode(true);
    ASSERT_TRUE(renderer.RedrawMap(source));
    EXPECT_EQ(status.rfind("現在通過中: NOAA-18 137.9125MHz ", 0), 0u) << status;
    const QImage& inset = renderer.inset();
    int track = 0, mark = 0;
    for (int y = 1; y < 299; ++y)
        for (int x = 1; x < 299; ++x) {
            track += PixelValue(inset, x, y) == settings.satNextTrack;
            mark += PixelValue(inset, x, y) == 0xFFFFFFu;
        }
    EXPECT_GT(track, 100);  // the track crosses the inset near the station
    EXPECT_GT(mark, 17 + 71);  // station cross, glyph and label in white

    // What the picture area shows during the pass: the inset pasted into a
    // corner of the picture being received.
    QImage picture(1040, 800, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int v = (x * 7 + y * 3) % 256;
            picture.setPixel(x, y, qRgb(v, v, v));
        }
    QPainter p(&picture);
    p.drawImage(picture.width() - 300, 0, inset);
    p.end();
    maptest::MaybeSaveShot(picture, "picture_with_globe_inset.png");
    maptest::MaybeSaveShot(renderer.workBitmap(), "globe_pass.png");
}


// The world wraps around the flat map for any station longitude: Antarctica,
// cut at the 180th meridian and closed along the pole, fills the bottom row.
TEST_F(MapRenderingTest, WorldWrapsForAnyStation) {
    for (const double lon : {0.0, -100.0, 135.0, 179.5}) {
        settings.locateE = lon;
        renderer.SetUpProjection();
        renderer.DrawBaseMap();
        const QImage& img = renderer.baseBitmap();
        maptest::MaybeSaveShot(img, "flat_station_" + std::to_string(int(lon)) + ".png");
        for (int x = 0; x < img.width(); x += 7)
            ASSERT_NE(PixelValue(img, x, img.height() - 2), settings.mapBackColor) << lon << " x=" << x;
    }
}

}  // namespace
}  // namespace sorae
