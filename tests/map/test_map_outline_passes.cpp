// The polygon and polyline readings of the outline file, and how their
// results show on the base map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/map_outline_passes.h"
#include "map/qt/map_renderer.h"
#include "common/qt_application.h"
#include "map_test_support.h"

namespace sorae {
namespace {

using maptest::PixelValue;

std::vector<MapPolygon> Polygons(const std::string& path, MapProjection p, bool shifted = false) {
    std::vector<MapPolygon> out;
    PolygonPassOptions o;
    o.shifted = shifted;
    EXPECT_TRUE(RunPolygonPass(path, p, o, [&](const MapPolygon& poly) { out.push_back(poly); }));
    return out;
}

const MapProjection kFlat = SetUpProjection({0.0, 0.0, false, 360, 180});
const MapProjection kGlobe = SetUpProjection({0.0, 0.0, true, 0, 0});

TEST(PolygonPass, BlocksFlushOnHeadersAndOpenBlockAtEndIsDropped) {
    const std::string path = maptest::WriteTempFile("blocks.map",
                                                    "5\t5\n"  // before any header: ignored
                                                    "PLGN=L\n0\t0\n10\t0\n10\t10\n"
                                                    "LINE\n0\t0\n1\t1\n"
                                                    "PLGN=S\n1\t1\n2\t1\n");  // no TERM
    const std::vector<MapPolygon> polys = Polygons(path, kFlat);
    // The empty one before "PLGN=L", L ended by "LINE", an empty flush at
    // "PLGN=S" (it only sets colours); S itself is dropped.
    ASSERT_EQ(polys.size(), 3u);
    EXPECT_FALSE(polys[2].drawable());
    EXPECT_EQ(polys[0].type, '0');
    EXPECT_FALSE(polys[0].drawable());
    EXPECT_EQ(polys[1].type, 'L');
    ASSERT_EQ(polys[1].points.size(), 3u);
    EXPECT_TRUE(polys[1].drawable());
    EXPECT_EQ(polys[1].points[1].x, 190);  // 10 deg east of the left edge at -180
}

TEST(PolygonPass, FilledOnlyPolygonsAreLeftOutOfTheGlobe) {
    const std::string path =
        maptest::WriteTempFile("ftype.map", "PLGN=F\n0\t0\n1\t0\n1\t1\nPLGN=L\n0\t0\n1\t0\n1\t1\nTERM\n");
    const std::vector<MapPolygon> globe = Polygons(path, kGlobe);
    ASSERT_EQ(globe.size(), 3u);
    EXPECT_EQ(globe[1].type, 'F');
    EXPECT_TRUE(globe[1].points.empty());
    EXPECT_EQ(globe[2].points.size(), 3u);
    const std::vector<MapPolygon> flat = Polygons(path, kFlat);
    EXPECT_EQ(flat[1].points.size(), 3u);
}

TEST(PolygonPass, FarSidePolygonIsNotDrawableOneVisibleVertexIs) {
    const std::string path = maptest::WriteTempFile(
        "far.map", "PLGN=L\n170\t0\n175\t0\n175\t5\nPLGN=L\n89\t0\n120\t0\n120\t10\nTERM\n");
    const std::vector<MapPolygon> polys = Polygons(path, kGlobe);
    ASSERT_EQ(polys.size(), 3u);
    EXPECT_FALSE(polys[1].drawable());
    EXPECT_TRUE(polys[2].drawable());
    EXPECT_TRUE(polys[2].points[0].visible);
    EXPECT_FALSE(polys[2].points[1].visible);
}

TEST(PolygonPass, DataCutsAreNotOutlined) {
    const std::string path = maptest::WriteTempFile(
        "cuts.map", "PLGN=L\n170\t-80\n180\t-80\n180\t-90\n170\t-90\nTERM\n");
    const std::vector<MapPolygon> polys = Polygons(path, kFlat);
    ASSERT_EQ(polys.size(), 2u);
    const std::vector<bool> expected{true, false, false, true};  // 180 meridian and -90 edges
    EXPECT_EQ(polys[1].outlined, expected);
}

TEST(PolygonPass, OversizedPolygonIsRejectedSafely) {
    std::string text = "PLGN=L\n";
    text.reserve(1200000);
    for (int i = 0; i < 100001; ++i) text += "1\t1\n";
    text += "PLGN=L\n0\t0\n1\t0\n1\t1\nTERM\n";
    const std::vector<MapPolygon> polys = Polygons(maptest::WriteTempFile("big.map", text), kFlat);
    ASSERT_EQ(polys.size(), 3u);
    EXPECT_TRUE(polys[1].overflow);
    EXPECT_LE(polys[1].points.size(), kMaxPolygonVertices);
    EXPECT_FALSE(polys[1].drawable());
    EXPECT_TRUE(polys[2].drawable());  // reading goes on after it
}

TEST(PolylinePass, SegmentsChainWithDateLineLongitudes) {
    const std::string path = maptest::WriteTempFile(
        "lines.map", "LINE\n179\t0\n-179\t1\n-178\t2\nLINE\n5\t5\nPLGN=L\n6\t6\n7\t7\nTERM\n");
    std::vector<std::vector<double>> segs;
    EXPECT_TRUE(RunPolylinePass(path, [&](double la[2], double lo[2]) {
        segs.push_back({la[0], lo[0], la[1], lo[1]});
        // The map segment helper raises negative longitudes across the date line.
        if (std::abs(static_cast<int>(lo[0] - lo[1])) > 180)
            for (int i = 0; i < 2; ++i)
                if (lo[i] < 0) lo[i] += 360;
    }));
    ASSERT_EQ(segs.size(), 2u);  // a one-point polyline and points after a polygon header draw nothing
    EXPECT_EQ(segs[0], (std::vector<double>{0, 179, 1, -179}));
    EXPECT_EQ(segs[1], (std::vector<double>{1, 181, 2, -178}));  // starts where the first was left
}

// How polygon types colour the base map.
class OutlineRenderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::ensureGuiApplication();
    }
    OutlineRenderTest() : renderer(settings) {
        settings.locateN = 0.0;
        settings.locateE = 0.0;
        settings.mapBackColor = 0x100000;
        settings.mapCoastColor = 0x00A000;
        settings.boundaries = 0x0000C0;
        settings.grid = 0x101010;
        renderer.resize(1040, 640);
    }
    void Draw(const std::string& text, bool globe) {
        renderer.setMapFilePath(maptest::WriteTempFile("render.map", text));
        renderer.setPassMode(globe);
        renderer.SetUpProjection();
        renderer.DrawBaseMap();
    }
    int Count(ColourValue v) const {
        const QImage& img = renderer.baseBitmap();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += PixelValue(img, x, y) == v;
        return n;
    }
    ColourValue At(double lat, double lon) const {
        const ProjectedPoint p = ProjectPoint(renderer.projection(), 1040, 640, lat, lon);
        return PixelValue(renderer.baseBitmap(), p.x, p.y);
    }
    AppSettings settings;
    MapRenderer renderer;
};

TEST_F(OutlineRenderTest, TypesAndInheritedColours) {
    // L square, then a header without "=" that keeps the L colours, then an S
    // lake inside the first square.
    Draw("PLGN=L\n1\t1\n9\t1\n9\t9\n1\t9\n"
         "PLGN\n21\t1\n29\t1\n29\t9\n21\t9\n"
         "PLGN=S\n3\t3\n7\t3\n7\t7\n3\t7\nTERM\n",
         false);
    EXPECT_EQ(At(2.5, 2.5), settings.mapCoastColor);
    EXPECT_EQ(At(5.5, 5.5), settings.mapBackColor);
    EXPECT_EQ(At(5.5, 25.5), settings.mapCoastColor);
    EXPECT_GT(Count(settings.boundaries), 100);
}

TEST_F(OutlineRenderTest, FilledOnlyPolygonDrawnFlatSkippedOnGlobe) {
    const std::string map = "PLGN=F\n1\t1\n9\t1\n9\t9\n1\t9\nTERM\n";
    Draw(map, false);
    EXPECT_EQ(At(5.5, 5.5), settings.mapCoastColor);
    EXPECT_EQ(Count(settings.boundaries), 0);  // outlined in the fill colour
    Draw(map, true);
    EXPECT_EQ(At(5.5, 5.5), settings.mapBackColor);
    EXPECT_EQ(Count(settings.mapCoastColor), 0);
}

TEST_F(OutlineRenderTest, FarSidePolygonLeavesNoTraceOnGlobe) {
    Draw("PLGN=L\n150\t-10\n170\t-10\n170\t10\n150\t10\nTERM\n", true);
    EXPECT_EQ(Count(settings.mapCoastColor), 0);
    EXPECT_EQ(Count(settings.boundaries), 0);
}

TEST_F(OutlineRenderTest, PolygonOverTheHorizonIsClosedAlongTheRim) {
    Draw("PLGN=L\n40\t-10\n120\t-10\n120\t10\n40\t10\nTERM\n", true);
    EXPECT_EQ(At(5.5, 60.5), settings.mapCoastColor);
    // The land is cut at the horizon (longitude 90 here) and closed along the
    // rim, so it fills the disk out to its edge at x = 808, and no further.
    EXPECT_EQ(PixelValue(renderer.baseBitmap(), 800, 322), settings.mapCoastColor);
    EXPECT_EQ(PixelValue(renderer.baseBitmap(), 806, 322), settings.mapCoastColor);
    EXPECT_EQ(PixelValue(renderer.baseBitmap(), 790, 392), settings.mapBackColor);  // rim south of it
    EXPECT_EQ(PixelValue(renderer.baseBitmap(), 810, 322), 0u);
}

TEST_F(OutlineRenderTest, SecondCopyWrapsTheWorld) {
    // Land between 170 and 190 degrees east of a station at 0: the part past
    // the right edge comes back at the left through the shifted copy.
    Draw("PLGN=L\n-150\t1\n-170\t1\n-170\t9\n-150\t9\nTERM\n", false);
    EXPECT_EQ(At(5.5, -160.5), settings.mapCoastColor);
    Draw("PLGN=L\n170\t1\n190\t1\n190\t9\n170\t9\nTERM\n", false);
    EXPECT_EQ(At(5.5, 175.5), settings.mapCoastColor);
    EXPECT_EQ(At(5.5, -175.5), settings.mapBackColor);  // unshifted copy spills off the right
}

}  // namespace
}  // namespace sorae
