// The globe's land and sea, clipped at the horizon, checked against the
// outline on the longitude/latitude plane for stations all over the world.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "map/globe_clipping.h"
#include "map/map_outline_passes.h"
#include "map_test_support.h"

namespace sorae {
namespace {

struct Box {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    void add(double x, double y) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    }
    bool holds(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

struct Outline {
    char type = '0';
    std::vector<GeoVertex> ring;
    std::vector<bool> outlined;
    Box box;  // longitude, latitude
};

std::vector<Outline> LoadOutlines() {
    MapProjection flat = SetUpProjection({0.0, 0.0, false, 360, 180});
    std::vector<Outline> out;
    RunPolygonPass(maptest::ShippedMapPath(), flat, {}, [&](const MapPolygon& p) {
        if (p.vertices.empty()) return;
        Outline& o = out.emplace_back();
        o.type = p.type;
        o.ring = p.vertices;
        o.outlined = p.outlined;
        for (const GeoVertex& g : p.vertices) o.box.add(g.longitude, g.latitude);
    });
    return out;
}

bool RingsContain(const std::vector<ClippedRing>& rings, double x, double y) {
    bool inside = false;
    for (const ClippedRing& r : rings) {
        const auto& q = r.points;
        for (std::size_t i = 0, j = q.size() - 1; i < q.size(); j = i++) {
            if ((q[i].y > y) != (q[j].y > y) &&
                x < q[i].x + (y - q[i].y) * (q[j].x - q[i].x) / (q[j].y - q[i].y))
                inside = !inside;
        }
    }
    return inside;
}

struct Sample {
    double latitude, longitude;
    bool land;
};

// Points of a 6-degree grid at least 2 degrees from every outline, so that
// pixel rounding cannot move them across a coast; land or sea as the flat
// map paints them (the last ring holding a point decides).
std::vector<Sample> ClearSamples(const std::vector<Outline>& outlines) {
    std::vector<bool> crossed(360 * 180, false);  // 1-degree cells an outline passes
    auto cell = [](double lat, double lon) {
        const int row = std::clamp(static_cast<int>(std::floor(lat + 90.0)), 0, 179);
        const int col = ((static_cast<int>(std::floor(lon + 180.0)) % 360) + 360) % 360;
        return row * 360 + col;
    };
    for (const Outline& o : outlines) {
        for (std::size_t i = 0; i < o.ring.size(); ++i) {
            const GeoVertex& a = o.ring[i];
            const GeoVertex& b = o.ring[(i + 1) % o.ring.size()];
            const double span = std::max(std::abs(b.latitude - a.latitude),
                                         std::abs(b.longitude - a.longitude));
            const int steps = static_cast<int>(std::ceil(span / 0.25)) + 1;
            for (int s = 0; s <= steps; ++s) {
                const double t = double(s) / steps;
                crossed[cell(a.latitude + t * (b.latitude - a.latitude),
                             a.longitude + t * (b.longitude - a.longitude))] = true;
            }
        }
    }
    std::vector<Sample> samples;
    for (double lat = -87.0; lat <= 87.0; lat += 6.0) {
        const int lonCells = std::min(180, static_cast<int>(std::ceil(2.0 / std::cos(lat * M_PI / 180.0))));
        for (double lon = -177.0; lon <= 177.0; lon += 6.0) {
            const int centre = cell(lat, lon);
            bool clear = true;
            for (int dr = -2; dr <= 2 && clear; ++dr) {
                const int row = centre / 360 + dr;
                if (row < 0 || row >= 180) continue;
                for (int dc = -lonCells; dc <= lonCells && clear; ++dc)
                    clear = !crossed[row * 360 + ((centre % 360 + dc) % 360 + 360) % 360];
            }
            if (!clear) continue;
            bool land = false;
            for (const Outline& o : outlines)
                if (o.box.holds(lon, lat) && RingContains(o.ring, lat, lon)) land = o.type == 'L';
            samples.push_back({lat, lon, land});
        }
    }
    return samples;
}

// A ring around the whole longitude/latitude plane: it covers the globe.
std::vector<GeoVertex> WholeWorld() {
    std::vector<GeoVertex> ring;
    for (int lon = -180; lon < 180; lon += 10) ring.push_back({-90.0, double(lon)});
    for (int lat = -90; lat < 90; lat += 10) ring.push_back({double(lat), 180.0});
    for (int lon = 180; lon > -180; lon -= 10) ring.push_back({90.0, double(lon)});
    for (int lat = 90; lat > -90; lat -= 10) ring.push_back({double(lat), -180.0});
    return ring;
}

TEST(GlobeClipping, EveryStationSeesTheLandAndSeaOfTheFlatMap) {
    const std::vector<Outline> outlines = LoadOutlines();
    ASSERT_GT(outlines.size(), 1000u);
    const std::vector<Sample> samples = ClearSamples(outlines);
    const auto landCount = std::count_if(samples.begin(), samples.end(), [](auto& s) { return s.land; });
    ASSERT_GT(landCount, 100);
    ASSERT_GT(samples.size() - landCount, 500u);

    for (int stationLat = -75; stationLat <= 75; stationLat += 15) {
        for (int stationLon = -180; stationLon < 180; stationLon += 20) {
            const MapProjection globe = SetUpProjection({double(stationLat), double(stationLon), true, 0, 0});
            std::vector<std::vector<ClippedRing>> clipped;
            std::vector<Box> boxes;
            for (const Outline& o : outlines) {
                clipped.push_back(ClipRingToGlobe(globe, o.ring, o.outlined));
                Box& b = boxes.emplace_back();
                for (const ClippedRing& r : clipped.back())
                    for (const GlobePoint& q : r.points) b.add(q.x, q.y);
            }
            std::string wrong;
            for (const Sample& s : samples) {
                const GlobeVector v = RotateOntoGlobe(globe, s.latitude, s.longitude);
                if (v.z < 0.3) continue;  // near the rim a pixel spans too much of the Earth
                const double x = 288.0 + 288.0 * v.x + globe.GlobeLeft;
                const double y = 288.0 + 288.0 * v.y + globe.GlobeTop;
                bool land = false;
                for (std::size_t i = 0; i < outlines.size(); ++i)
                    if (boxes[i].holds(x, y) && RingsContain(clipped[i], x, y))
                        land = outlines[i].type == 'L';
                if (land != s.land)
                    wrong += " (" + std::to_string(int(s.latitude)) + "," +
                             std::to_string(int(s.longitude)) + (s.land ? " land)" : " sea)");
            }
            const std::vector<ClippedRing> world = ClipRingToGlobe(globe, WholeWorld(), {});
            for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, {270.0, 0.0}, {-270.0, 0.0}, {0.0, 270.0}, {0.0, -270.0}})
                if (!RingsContain(world, 520.0 + dx, 320.0 + dy))
                    wrong += " whole-world ring misses (" + std::to_string(int(dx)) + "," + std::to_string(int(dy)) + ")";
            EXPECT_TRUE(wrong.empty()) << "station " << stationLat << "," << stationLon << ":" << wrong;
        }
    }
}

}  // namespace
}  // namespace sorae
