// The world outline held in memory for tracing over pictures.
#include <gtest/gtest.h>

#include "map/world_outline.h"
#include "map_test_support.h"

using namespace sorae;

// Rings are closed, cut where the data runs along the 180th meridian or a
// pole, and borders stay open lines.
TEST(WorldOutline, RingsAreClosedAndCutAtTheDataEdges) {
    const std::string path = maptest::WriteTempFile(
        "outline.map",
        "PLGN=L\n10\t1\n11\t1\n11\t2\n"              // a plain island
        "PLGN=L\n170\t60\n180\t60\n180\t70\n170\t70\n"  // a piece cut at 180 degrees
        "LINE\n5\t5\n6\t6\n7\t5\n"
        "PLGN=S\n0\t-80\n10\t-90\n-10\t-90\n"          // cut along the south pole line
        "TERM\n");
    const auto outline = WorldOutline::load(path);
    ASSERT_TRUE(outline);
    struct Expected {
        OutlineKind kind;
        std::vector<std::pair<double, double>> lonLat;
    };
    const std::vector<Expected> expected{
        {OutlineKind::Coast, {{10, 1}, {11, 1}, {11, 2}, {10, 1}}},
        {OutlineKind::Coast, {{170, 60}, {180, 60}}},
        {OutlineKind::Coast, {{180, 70}, {170, 70}, {170, 60}}},
        {OutlineKind::Border, {{5, 5}, {6, 6}, {7, 5}}},
        {OutlineKind::Coast, {{0, -80}, {10, -90}}},
        {OutlineKind::Coast, {{-10, -90}, {0, -80}}},
    };
    ASSERT_EQ(outline->lines().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& line = outline->lines()[i];
        EXPECT_EQ(line.kind, expected[i].kind);
        ASSERT_EQ(line.points.size(), expected[i].lonLat.size());
        for (std::size_t k = 0; k < line.points.size(); ++k) {
            EXPECT_EQ(line.points[k].longitude, expected[i].lonLat[k].first);
            EXPECT_EQ(line.points[k].latitude, expected[i].lonLat[k].second);
        }
    }
    EXPECT_FALSE(WorldOutline::load(path + ".missing"));
}

TEST(WorldOutline, TheShippedOutlineHasEveryBorderAndNoCutEdge) {
    const auto outline = WorldOutline::load(maptest::ShippedMapPath());
    ASSERT_TRUE(outline);
    std::size_t borders = 0;
    for (const auto& line : outline->lines()) {
        if (line.kind == OutlineKind::Border) ++borders;
        for (std::size_t k = 1; k < line.points.size(); ++k) {
            const auto& a = line.points[k - 1];
            const auto& b = line.points[k];
            EXPECT_FALSE(a.longitude == b.longitude && std::abs(a.longitude) == 180.0);
            EXPECT_FALSE(a.latitude == b.latitude && std::abs(a.latitude) == 90.0);
        }
    }
    EXPECT_EQ(borders, 362u);
    EXPECT_GT(outline->vertexCount(), 90000u);
}
