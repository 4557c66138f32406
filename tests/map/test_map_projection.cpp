// Flat and globe projections, map vertices and map segments.
#include <gtest/gtest.h>

#include <cmath>

#include "map/map_projection.h"

namespace sorae {
namespace {

MapProjection Flat(double lat, double lon, int w = 1040, int h = 640) {
    return SetUpProjection({lat, lon, false, w, h});
}

TEST(MapProjection, FlatModeCentresTheStation) {
    MapProjection p = Flat(35.0, 135.0);
    EXPECT_FALSE(p.GlobeMode);
    EXPECT_NEAR(p.LeftLongitude, -45.0, 1e-9);
    EXPECT_DOUBLE_EQ(p.TopLatitude, 90.0);
    const ProjectedPoint s = ProjectPoint(p, 1040, 640, 35.0, 135.0);
    EXPECT_NEAR(s.x, 520, 1);
    EXPECT_TRUE(s.visible);

    // A vertex at -170: shifted copy near x = 678, unshifted copy off the left.
    const ProjectedPoint shifted = ProjectMapVertex(p, 0.0, -170.0, true);
    EXPECT_NEAR(shifted.x, 678, 1);
    const ProjectedPoint plain = ProjectMapVertex(p, 0.0, -170.0, false);
    EXPECT_LT(plain.x, 0);
    EXPECT_EQ(plain.y, 320);
    EXPECT_NEAR(p.LeftLongitude, -45.0, 1e-9);  // no raise needed here

    // ProjectPoint wraps the same longitude onto the map.
    EXPECT_NEAR(ProjectPoint(p, 1040, 640, 0.0, -170.0).x, 678, 1);
}

TEST(MapProjection, WestStationRaisesLeftLongitudeOnce) {
    MapProjection p = Flat(40.0, -100.0);
    EXPECT_NEAR(p.LeftLongitude, -280.0, 1e-9);
    ProjectMapVertex(p, 0.0, 0.0, false);
    EXPECT_NEAR(p.LeftLongitude, 80.0, 1e-9);
    ProjectMapVertex(p, 0.0, 0.0, false);
    EXPECT_NEAR(p.LeftLongitude, 80.0, 1e-9);  // only once
    // The station still projects to the centre through ProjectPoint.
    EXPECT_NEAR(ProjectPoint(p, 1040, 640, 40.0, -100.0).x, 520, 1);
}

TEST(MapProjection, OddSizesAndVisibilityBounds) {
    MapProjection p = Flat(0.0, 0.0, 1041, 641);
    EXPECT_NEAR(p.TopLatitude, 320.0 / (641.0 / 180.0), 1e-12);
    EXPECT_LT(p.TopLatitude, 90.0);
    // Flat-mode visibility: 500 pixels of slack around the bitmap.
    EXPECT_TRUE(ProjectPoint(p, 1041, 641, -90.0, 0.0).visible);
    EXPECT_FALSE(ProjectPoint(p, 100, 100, -90.0, 0.0).visible);
}

TEST(MapProjection, GlobeModeLayout) {
    MapProjection p = SetUpProjection({35.0, 139.0, true, 300, 200});  // size is ignored
    EXPECT_TRUE(p.GlobeMode);
    EXPECT_EQ(p.GlobeLeft, 232);
    EXPECT_EQ(p.GlobeTop, 32);
    EXPECT_DOUBLE_EQ(p.GlobeRadius, 288.0);
    const ProjectedPoint s = ProjectPoint(p, 300, 200, 35.0, 139.0);
    EXPECT_EQ(s.x, 520);
    EXPECT_EQ(s.y, 320);
    EXPECT_TRUE(s.visible);
    // North is up: a point north of the station lies above the centre.
    const ProjectedPoint n = ProjectPoint(p, 300, 200, 45.0, 139.0);
    EXPECT_EQ(n.x, 520);
    EXPECT_LT(n.y, 320);
    // East is right.
    EXPECT_GT(ProjectPoint(p, 300, 200, 35.0, 149.0).x, 520);
}

TEST(MapProjection, GlobeHorizonAndRim) {
    MapProjection p = SetUpProjection({0.0, 0.0, true, 0, 0});
    // 90 degrees of arc east of the station: on the horizon, counts as visible.
    const ProjectedPoint edge = ProjectPoint(p, 0, 0, 0.0, 90.0);
    EXPECT_TRUE(edge.visible);
    EXPECT_EQ(edge.x, 232 + 576);
    // Just beyond it: hidden, and a map vertex there is pulled onto the rim.
    EXPECT_FALSE(ProjectPoint(p, 0, 0, 0.0, 91.0).visible);
    const ProjectedPoint rim = ProjectMapVertex(p, 10.0, 120.0, false);
    EXPECT_FALSE(rim.visible);
    const double r = std::hypot(rim.x - 520.0, rim.y - 320.0);
    EXPECT_NEAR(r, 288.0, 1.5);
    EXPECT_GT(rim.x, 520);
    EXPECT_LT(rim.y, 320);  // north of the equator: upper half
    // The antipode has no direction: it goes to the rim at angle 0.
    const ProjectedPoint anti = ProjectMapVertex(p, 0.0, 180.0, false);
    EXPECT_EQ(anti.x, 232 + 576);
    EXPECT_EQ(anti.y, 320);
}

TEST(MapSegment, DateLineCrossingIsShort) {
    MapProjection p = Flat(35.0, 135.0);
    double lats[2] = {10.0, 10.0};
    double lons[2] = {179.0, -179.0};
    const PixelSegment s = MapSegmentPixels(p, lats, lons);
    EXPECT_DOUBLE_EQ(lons[0], 179.0);
    EXPECT_DOUBLE_EQ(lons[1], 181.0);  // changed in the caller's pair
    EXPECT_TRUE(s.drawn);
    EXPECT_LE(std::abs(s.x1 - s.x0), 6);
    EXPECT_NEAR(s.x0, (179.0 + 45.0) * 1040.0 / 360.0, 1.0);
}

TEST(MapSegment, FlatShiftRules) {
    MapProjection p = Flat(0.0, 135.0);  // left edge at -45
    // Both ends west of the left edge: moved one world east together.
    double lats[2] = {0.0, 0.0};
    double lons[2] = {-60.0, -50.0};
    PixelSegment s = MapSegmentPixels(p, lats, lons);
    EXPECT_NEAR(s.x0, (-60.0 + 45.0 + 360.0) * 1040.0 / 360.0, 1.0);
    EXPECT_NEAR(s.x1, (-50.0 + 45.0 + 360.0) * 1040.0 / 360.0, 1.0);
    // Only the first end west of the edge: nothing is moved.
    double lons2[2] = {-50.0, -40.0};
    s = MapSegmentPixels(p, lats, lons2);
    EXPECT_LT(s.x0, 0);
    EXPECT_GT(s.x1, 0);
    // Beyond the right edge by more than a world: moved one world west.
    double lons3[2] = {320.0, 330.0};
    s = MapSegmentPixels(p, lats, lons3);
    EXPECT_NEAR(s.x0, (320.0 + 45.0 - 360.0) * 1040.0 / 360.0, 1.0);
    EXPECT_NEAR(s.x1, (330.0 + 45.0 - 360.0) * 1040.0 / 360.0, 1.0);
}

TEST(MapSegment, GlobeNeedsBothEndsVisible) {
    MapProjection p = SetUpProjection({0.0, 0.0, true, 0, 0});
    double lats[2] = {0.0, 0.0};
    double lons[2] = {80.0, 89.0};
    EXPECT_TRUE(MapSegmentPixels(p, lats, lons).drawn);
    double far[2] = {89.0, 95.0};
    EXPECT_FALSE(MapSegmentPixels(p, lats, far).drawn);
}

}  // namespace
}  // namespace sorae
