// What the orbit map may add: the Sun's position against published
// solstices and equinoxes, the terminator against the declination, the
// footprint's size against the satellite's height, and all three drawn into
// an image and read back at known points.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>

#include "common/qt_application.h"
#include "map/footprint.h"
#include "map/map_projection.h"
#include "map/qt/map_overlays.h"
#include "map/solar_terminator.h"
#include "map_test_support.h"

namespace sorae {
namespace {

constexpr double kDeg = 3.141592653589793 / 180.0;

double GreatCircleDeg(double lat1, double lon1, double lat2, double lon2) {
    const double a = std::sin((lat2 - lat1) * kDeg / 2), b = std::sin((lon2 - lon1) * kDeg / 2);
    return 2.0 * std::asin(std::sqrt(a * a + std::cos(lat1 * kDeg) * std::cos(lat2 * kDeg) * b * b)) / kDeg;
}

// Moments of the seasons of 2026 (UT, to the minute) as the US Naval
// Observatory publishes them; the declination is then +-23.44 or 0.
struct Season {
    const char* name;
    UtcInstant when;
    double declinationDeg;
};

class SunTest : public ::testing::TestWithParam<Season> {};

TEST_P(SunTest, DeclinationAtSolsticesAndEquinoxes) {
    const SubsolarPoint sun = SubsolarPointAt(GetParam().when);
    EXPECT_NEAR(sun.latitudeDeg, GetParam().declinationDeg, 0.03);
}

TEST_P(SunTest, TerminatorLiesNinetyDegreesFromTheSun) {
    const SubsolarPoint sun = SubsolarPointAt(GetParam().when);
    for (double lon = -180.0; lon < 180.0; lon += 7.5) {
        SCOPED_TRACE(lon);
        const double lat = TerminatorLatitudeDeg(sun, lon);
        if (std::fabs(sun.latitudeDeg) > 0.5) {
            EXPECT_NEAR(GreatCircleDeg(lat, lon, sun.latitudeDeg, sun.longitudeDeg), 90.0, 1e-6);
            // Day toward the pole on the Sun's side of the equator, night
            // toward the other pole, in every column.
            const double step = sun.latitudeDeg > 0 ? 1.0 : -1.0;
            EXPECT_FALSE(IsNight(sun, std::clamp(lat + step, -90.0, 90.0), lon));
            EXPECT_TRUE(IsNight(sun, std::clamp(lat - step, -90.0, 90.0), lon));
        }
    }
    // On the Sun's meridian and opposite it the line reaches 90 - |declination|.
    const double d = sun.latitudeDeg;
    if (std::fabs(d) > 0.5) {
        EXPECT_NEAR(TerminatorLatitudeDeg(sun, sun.longitudeDeg + 180.0), (d > 0 ? 1 : -1) * (90.0 - std::fabs(d)), 1e-9);
        EXPECT_NEAR(TerminatorLatitudeDeg(sun, sun.longitudeDeg), (d > 0 ? -1 : 1) * (90.0 - std::fabs(d)), 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Seasons2026, SunTest,
                         ::testing::Values(Season{"MarchEquinox", {2026, 3, 20, 14, 46, 0}, 0.0},
                                           Season{"JuneSolstice", {2026, 6, 21, 8, 24, 0}, 23.436},
                                           Season{"SeptemberEquinox", {2026, 9, 23, 0, 5, 0}, 0.0},
                                           Season{"DecemberSolstice", {2026, 12, 21, 20, 50, 0}, -23.436}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Sun, NoonAtGreenwichIsNearTheZeroMeridian) {
    // At 12:00 UT the Sun stands over longitude minus the equation of time,
    // which stays within about 4.1 degrees (16.5 minutes) all year.
    for (int month = 1; month <= 12; ++month) {
        const SubsolarPoint sun = SubsolarPointAt({2026, month, 15, 12, 0, 0});
        EXPECT_LT(std::fabs(sun.longitudeDeg), 4.2) << month;
    }
    // and it moves west by 15 degrees an hour
    const SubsolarPoint a = SubsolarPointAt({2026, 5, 1, 12, 0, 0});
    const SubsolarPoint b = SubsolarPointAt({2026, 5, 1, 13, 0, 0});
    EXPECT_NEAR(a.longitudeDeg - b.longitudeDeg, 15.0, 0.01);
}

struct FootprintCase {
    double heightKm;
    double radiusDeg;  // Earth central angle to the horizon circle
};

class FootprintTest : public ::testing::TestWithParam<FootprintCase> {};

TEST_P(FootprintTest, RadiusFollowsTheHeight) {
    const FootprintCase& c = GetParam();
    EXPECT_NEAR(FootprintRadiusDeg(c.heightKm), c.radiusDeg, 0.01);
    // Every point of the ring lies that far from the centre, wherever it is.
    const double centres[][2] = {{0.0, 0.0}, {35.7, 139.7}, {-60.0, -179.0}, {80.0, 20.0}};
    for (const auto& centre : centres) {
        const std::vector<TrackPoint> ring = FootprintRing(centre[0], centre[1], c.heightKm, 36);
        ASSERT_EQ(ring.size(), 36u);
        for (const TrackPoint& p : ring) {
            EXPECT_GE(p.longitudeDeg, -180.0);
            EXPECT_LE(p.longitudeDeg, 180.0);
            EXPECT_NEAR(GreatCircleDeg(centre[0], centre[1], p.latitudeDeg, p.longitudeDeg), c.radiusDeg, 0.01);
        }
        // The first point is due north, on the centre's meridian or, past
        // the pole, on the one opposite.
        const double offMeridian = std::fmod(std::fabs(ring.front().longitudeDeg - centre[1]) + 1e-9, 180.0);
        EXPECT_NEAR(offMeridian, 0.0, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Heights, FootprintTest,
                         ::testing::Values(FootprintCase{850.0, 28.08}, FootprintCase{500.0, 21.99},
                                           // a geostationary satellite sees to about 81.3 degrees
                                           FootprintCase{35786.0, 81.31}));

TEST(Footprint, NoHeightNoRing) {
    EXPECT_EQ(FootprintRadiusDeg(0.0), 0.0);
    EXPECT_TRUE(FootprintRing(0.0, 0.0, 0.0, 36).empty());
    EXPECT_TRUE(FootprintRing(0.0, 0.0, std::nan(""), 36).empty());
}

class OverlayImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureGuiApplication(); }
    OverlayImageTest()
        : projection(SetUpProjection({0.0, 0.0, false, 720, 360})), image(720, 360, QImage::Format_RGB32) {
        image.fill(Qt::white);
    }
    QPoint at(double lat, double lon) const {
        const ProjectedPoint p = ProjectPoint(projection, image.width(), image.height(), lat, lon);
        return {p.x, p.y};
    }
    bool shaded(double lat, double lon) const {
        const QPoint p = at(lat, lon);
        return image.pixelColor(p).lightness() < 250;
    }
    MapProjection projection;
    QImage image;
};

TEST_F(OverlayImageTest, NightShadeFollowsTheTerminator) {
    // The June solstice: the midnight sun north of 66.56 degrees.
    const SubsolarPoint sun = SubsolarPointAt({2026, 6, 21, 8, 24, 0});
    PaintNightShade(image, projection, sun);
    const double midnight = sun.longitudeDeg + 180.0 > 180.0 ? sun.longitudeDeg - 180.0 : sun.longitudeDeg + 180.0;
    EXPECT_FALSE(shaded(0.0, sun.longitudeDeg + 0.5));
    EXPECT_TRUE(shaded(0.0, midnight + 0.5));
    EXPECT_FALSE(shaded(70.0, midnight + 0.5)) << "midnight sun";
    EXPECT_TRUE(shaded(62.0, midnight + 0.5));
    EXPECT_TRUE(shaded(-70.0, sun.longitudeDeg + 0.5)) << "polar night at noon";
    EXPECT_FALSE(shaded(-62.0, sun.longitudeDeg + 0.5));
    // 90 degrees east of the Sun the line crosses the equator: evening.
    const double dusk = sun.longitudeDeg + 90.0;
    EXPECT_FALSE(shaded(0.0, dusk - 3.0));
    EXPECT_TRUE(shaded(0.0, dusk + 3.0));
}

TEST_F(OverlayImageTest, FootprintAndPassTimesAreDrawnWhereTheyBelong) {
    AppSettings settings;
    SatelliteTrack track;
    track.name = "NOAA-19";
    track.colourSlot = 0;
    track.points = {{10.0, 20.0}, {13.0, 19.0}};
    track.heightKm = 850.0;
    track.marks = {{{40.0, 10.0}, "AOS 12:34"}};
    PaintFootprints(image, projection, settings, {track});
    const double r = FootprintRadiusDeg(850.0);
    // On the rim due south and due north of the centre; nothing at the centre.
    auto drawnNear = [&](double lat, double lon) {
        const QPoint p = at(lat, lon);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixelColor(p + QPoint(dx, dy)) != QColor(Qt::white)) return true;
        return false;
    };
    EXPECT_TRUE(drawnNear(10.0 - r, 20.0) || drawnNear(10.0 - r + 0.5, 20.0));
    EXPECT_TRUE(drawnNear(10.0 + r, 20.0) || drawnNear(10.0 + r - 0.5, 20.0));
    EXPECT_FALSE(drawnNear(10.0, 20.0));
    EXPECT_FALSE(drawnNear(10.0 - r - 3.0, 20.0)) << "nothing outside the rim";

    PaintTrackMarks(image, projection, {track});
    EXPECT_TRUE(drawnNear(40.0, 10.0));
}

}  // namespace
}  // namespace sorae
