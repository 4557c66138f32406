// Tracing the world outline and the grid into picture coordinates, through
// projections simple enough that every expected point is known.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geo/picture_overlay.h"
#include "geo/position_text.h"

using namespace sorae;

namespace {

// A picture laid out in plain latitude and longitude: column grows east,
// row grows south, `perDegree` pixels per degree, from (topLat, leftLon).
// wrap: longitudes are taken modulo 360 from leftLon (the picture may span
// the 180th meridian); otherwise a longitude is used as given.
struct LinearPicture {
    double topLat, leftLon, perDegree;
    int columns, rows;
    bool wrap = true;

    std::optional<PicturePoint> project(GeoPoint g) const {
        double dLon = g.longitudeDeg - leftLon;
        if (wrap) dLon = std::fmod(std::fmod(dLon, 360.0) + 360.0, 360.0);
        const PicturePoint p{dLon * perDegree, (topLat - g.latitudeDeg) * perDegree};
        if (p.column < 0 || p.column > columns - 1 || p.row < 0 || p.row > rows - 1) return std::nullopt;
        return p;
    }
    std::optional<GeoPoint> ground(PicturePoint p) const {
        if (p.column < 0 || p.column > columns - 1 || p.row < 0 || p.row > rows - 1) return std::nullopt;
        double lon = leftLon + p.column / perDegree;
        if (lon > 180.0) lon -= 360.0;
        return GeoPoint{topLat - p.row / perDegree, lon};
    }
    GroundToPicture forward() const { return [this](GeoPoint g) { return project(g); }; }
    PictureToGround inverse() const { return [this](PicturePoint p) { return ground(p); }; }
    OverlayOptions options() const {
        OverlayOptions o;
        o.columns = columns;
        o.rows = rows;
        o.grid = false;
        return o;
    }
};

std::vector<OutlineTraceLine> OneLine(std::vector<GeoPoint> points) {
    return {OutlineTraceLine{OverlayLineKind::Coast, std::move(points)}};
}

}  // namespace

// Lines inside, across the edge, out and in again, and across the 180th
// meridian with a projection that wraps there and one that does not.
TEST(PictureOverlay, LinesAreCutAtTheSwathEdgeAndAtJumps) {
    // 20 x 30 degrees at 10 px per degree: lat 50..20, lon 130..150.
    const LinearPicture japan{50.0, 130.0, 10.0, 201, 301};
    // Lon 170..190 (170E..170W), lat 60..40.
    const LinearPicture dateLine{60.0, 170.0, 10.0, 201, 201};
    // The whole world in plain longitude, 2 px per degree: 180W at column 0.
    LinearPicture world{90.0, -180.0, 2.0, 721, 361};
    world.wrap = false;
    // Lon 170..190 taken as given: 180 is on it, -180 only when turned into 180.
    LinearPicture dateLinePlain = dateLine;
    dateLinePlain.wrap = false;

    struct Case {
        const char* label;
        const LinearPicture* picture;
        std::vector<GeoPoint> line;
        // expected pieces: first and last point of each
        std::vector<std::pair<PicturePoint, PicturePoint>> pieces;
    };
    const std::vector<Case> cases{
        {"inside", &japan, {{35.0, 135.0}, {36.5, 140.0}, {40.0, 140.5}},
         {{{50, 150}, {105, 100}}}},
        {"crosses the east edge", &japan, {{30.0, 145.0}, {30.0, 155.0}},
         {{{150, 200}, {200, 200}}}},
        {"enters from the north", &japan, {{55.0, 140.0}, {45.0, 140.0}},
         {{{100, 0}, {100, 50}}}},
        {"leaves and comes back", &japan, {{40.0, 140.0}, {40.0, 160.0}, {45.0, 160.0}, {45.0, 140.0}},
         {{{100, 100}, {200, 100}}, {{200, 50}, {100, 50}}}},
        {"over the 180th meridian, wrapping", &dateLine, {{50.0, 175.0}, {50.0, -175.0}},
         {{{50, 100}, {150, 100}}}},
        {"over the 180th meridian, plain longitude", &world, {{50.0, 175.0}, {50.0, -175.0}},
         {{{710, 80}, {720, 80}}, {{0, 80}, {10, 80}}}},
        {"wholly off the picture", &japan, {{0.0, 0.0}, {1.0, 1.0}}, {}},
        {"along the 180th meridian given as -180", &dateLinePlain, {{40.0, -180.0}, {50.0, -180.0}, {60.0, -180.0}},
         {{{100, 200}, {100, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto forward = c.picture->forward();
        const SwathFootprint footprint =
            SwathFootprint::fromPicture(c.picture->inverse(), c.picture->columns, c.picture->rows);
        const PictureOverlay overlay =
            BuildPictureOverlay(OneLine(c.line), forward, footprint, c.picture->options());
        ASSERT_EQ(overlay.lines.size(), c.pieces.size());
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            const auto& points = overlay.lines[i].points;
            EXPECT_EQ(overlay.lines[i].kind, OverlayLineKind::Coast);
            // Ends on the edge come from bisection: within a pixel.
            EXPECT_NEAR(points.front().column, c.pieces[i].first.column, 1.0);
            EXPECT_NEAR(points.front().row, c.pieces[i].first.row, 1.0);
            EXPECT_NEAR(points.back().column, c.pieces[i].second.column, 1.0);
            EXPECT_NEAR(points.back().row, c.pieces[i].second.row, 1.0);
            for (std::size_t k = 1; k < points.size(); ++k) {
                EXPECT_LT(std::hypot(points[k].column - points[k - 1].column, points[k].row - points[k - 1].row),
                          10.0)
                    << "step " << k << " jumps";
            }
        }
    }
    // A vertex of the outline lands exactly where the projection puts it.
    const PictureOverlay inside =
        BuildPictureOverlay(OneLine(cases[0].line), japan.forward(), SwathFootprint::wholeWorld(), japan.options());
    ASSERT_EQ(inside.lines.size(), 1u);
    const auto& pts = inside.lines[0].points;
    EXPECT_TRUE(std::any_of(pts.begin(), pts.end(), [](const PicturePoint& p) {
        return std::abs(p.column - 100.0) < 1e-9 && std::abs(p.row - 135.0) < 1e-9;
    }));
}

TEST(PictureOverlay, GridLinesAndLabelsFollowTheChosenStep) {
    const LinearPicture japan{49.0, 131.0, 10.0, 171, 171};  // lat 49..32, lon 131..148
    OverlayOptions options = japan.options();
    options.grid = true;
    options.coasts = options.borders = false;
    const SwathFootprint footprint = SwathFootprint::fromPicture(japan.inverse(), japan.columns, japan.rows);
    EXPECT_NEAR(footprint.latitudeSpanDeg(), 17.0, 1e-9);
    const PictureOverlay overlay = BuildPictureOverlay({}, japan.forward(), footprint, options);
    EXPECT_EQ(overlay.gridStepDeg, 5.0);

    std::vector<std::string> texts;
    for (const auto& l : overlay.labels) texts.push_back(l.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"35°N", "40°N", "45°N", "135°E", "140°E", "145°E"}));
    // Every grid line spans the picture edge to edge along its row or column.
    ASSERT_EQ(overlay.lines.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const auto& p = overlay.lines[i].points;
        const bool parallel = i < 3;
        const double fixed = parallel ? (49.0 - (35.0 + 5.0 * i)) * 10.0 : (135.0 + 5.0 * (i - 3) - 131.0) * 10.0;
        for (const auto& q : p) EXPECT_NEAR(parallel ? q.row : q.column, fixed, 1e-6);
        const double from = parallel ? p.front().column : p.front().row;
        const double to = parallel ? p.back().column : p.back().row;
        EXPECT_NEAR(std::min(from, to), 0.0, 1.0);
        EXPECT_NEAR(std::max(from, to), 170.0, 1.0);
    }
    // A label sits on the left end of its parallel, the top end of its meridian.
    EXPECT_NEAR(overlay.labels[0].at.column, 0.0, 1.0);
    EXPECT_NEAR(overlay.labels[0].at.row, 140.0, 1e-6);
    EXPECT_NEAR(overlay.labels[3].at.row, 0.0, 1.0);
}

TEST(PictureOverlay, GridStepAndLabelTexts) {
    EXPECT_EQ(GridStepForExtent(55.0), 10.0);
    EXPECT_EQ(GridStepForExtent(20.0), 5.0);
    EXPECT_EQ(GridStepForExtent(6.0), 2.0);
    const std::vector<std::tuple<double, bool, std::string>> labels{
        {35.0, true, "35°N"}, {-12.5, true, "12.5°S"}, {0.0, true, "0°"},    {140.0, false, "140°E"},
        {-70.0, false, "70°W"}, {180.0, false, "180°"}, {-180.0, false, "180°"}, {190.0, false, "170°W"}};
    for (const auto& [value, latitude, text] : labels) EXPECT_EQ(GridLabelText(value, latitude), text) << value;
}

// The footprint may over-cover but never miss a place the picture shows:
// over a pole, where a degree of longitude is a few pixels, and across the
// 180th meridian.
TEST(SwathFootprint, NeverMissesAPlaceThePictureShows) {
    struct PolarPicture {  // a disc around the north pole, 8 px per degree of colatitude
        std::optional<PicturePoint> project(GeoPoint g) const {
            const double r = (90.0 - g.latitudeDeg) * 8.0;
            const double a = g.longitudeDeg * M_PI / 180.0;
            const PicturePoint p{400 + r * std::sin(a), 400 + r * std::cos(a)};
            if (p.column < 0 || p.column > 800 || p.row < 0 || p.row > 800) return std::nullopt;
            return p;
        }
        std::optional<GeoPoint> ground(PicturePoint p) const {
            if (p.column < 0 || p.column > 800 || p.row < 0 || p.row > 800) return std::nullopt;
            const double dx = p.column - 400, dy = p.row - 400;
            return GeoPoint{90.0 - std::hypot(dx, dy) / 8.0, std::atan2(dx, dy) * 180.0 / M_PI};
        }
    } polar;
    const LinearPicture dateLine{60.0, 170.0, 4.0, 81, 81};
    const std::vector<std::pair<GroundToPicture, PictureToGround>> pictures{
        {[&](GeoPoint g) { return polar.project(g); }, [&](PicturePoint p) { return polar.ground(p); }},
        {dateLine.forward(), dateLine.inverse()}};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lat(30.0, 90.0), lon(-180.0, 180.0);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const SwathFootprint f = SwathFootprint::fromPicture(pictures[i].second, 801, 801, 16);
        int shown = 0;
        for (int n = 0; n < 200000; ++n) {
            const GeoPoint g{lat(random), lon(random)};
            if (!pictures[i].first(g)) continue;
            ++shown;
            ASSERT_TRUE(f.mayShow(g)) << "picture " << i << " at " << g.latitudeDeg << ", " << g.longitudeDeg;
        }
        EXPECT_GT(shown, 100);
        EXPECT_FALSE(f.mayShow({-45.0, 0.0}));
    }
}

// Rings are closed, cut where the data runs along the 180th meridian or a
// pole, and borders stay open lines.
TEST(PictureOverlay, OutlineRingsAreClosedAndCutAtTheDataEdges) {
    WorldOutline outline;
    outline.polygons = {{{1, 10}, {1, 11}, {2, 11}},
                        {{60, 170}, {60, 180}, {70, 180}, {70, 170}},
                        {{-80, 0}, {-90, 10}, {-90, -10}}};
    outline.lines = {{{5, 5}, {6, 6}, {5, 7}}};
    struct Expected {
        OverlayLineKind kind;
        std::vector<std::pair<double, double>> latLon;
    };
    const std::vector<Expected> expected{
        {OverlayLineKind::Coast, {{1, 10}, {1, 11}, {2, 11}, {1, 10}}},
        {OverlayLineKind::Coast, {{60, 170}, {60, 180}}},
        {OverlayLineKind::Coast, {{70, 180}, {70, 170}, {60, 170}}},
        {OverlayLineKind::Coast, {{-80, 0}, {-90, 10}}},
        {OverlayLineKind::Coast, {{-90, -10}, {-80, 0}}},
        {OverlayLineKind::Border, {{5, 5}, {6, 6}, {5, 7}}},
    };
    const auto lines = OutlineTraceLines(outline);
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i].kind, expected[i].kind);
        ASSERT_EQ(lines[i].points.size(), expected[i].latLon.size());
        for (std::size_t k = 0; k < lines[i].points.size(); ++k) {
            EXPECT_EQ(lines[i].points[k].latitudeDeg, expected[i].latLon[k].first);
            EXPECT_EQ(lines[i].points[k].longitudeDeg, expected[i].latLon[k].second);
        }
    }
}

TEST(PictureOverlay, TheShippedOutlineKeepsEveryBorderAndNoCutEdge) {
    const auto outline = LoadWorldOutline(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
    ASSERT_TRUE(outline);
    std::size_t borders = 0;
    for (const auto& line : OutlineTraceLines(*outline)) {
        if (line.kind == OverlayLineKind::Border) ++borders;
        for (std::size_t k = 1; k < line.points.size(); ++k) {
            const auto& a = line.points[k - 1];
            const auto& b = line.points[k];
            EXPECT_FALSE(a.longitudeDeg == b.longitudeDeg && std::abs(a.longitudeDeg) == 180.0);
            EXPECT_FALSE(a.latitudeDeg == b.latitudeDeg && std::abs(a.latitudeDeg) == 90.0);
        }
    }
    EXPECT_EQ(borders, 362u);
}

TEST(PositionText, HemispheresAndRounding) {
    const std::vector<std::pair<GeoPoint, std::string>> cases{
        {{35.6894875, 139.6917064}, "北緯 35.69° 東経 139.69°"},
        {{-33.8688, -70.5}, "南緯 33.87° 西経 70.50°"},
        {{-0.001, 359.999}, "北緯 0.00° 東経 0.00°"},
        {{90.0, 180.0}, "北緯 90.00° 東経 180.00°"},
        {{10.0, 190.0}, "北緯 10.00° 西経 170.00°"},
    };
    for (const auto& [place, text] : cases) EXPECT_EQ(PositionText(place), text);
}
