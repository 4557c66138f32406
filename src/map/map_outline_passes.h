// The three readings of the world outline file that make up the base map:
// the polygon pass (optionally the second, shifted copy of the world) and
// the polyline pass. They project the points; drawing is left to the
// caller's callbacks, so the same logic serves every canvas.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "map/globe_clipping.h"
#include "map/map_projection.h"

namespace sorae {

// Most vertices one polygon may have; a longer polygon is not drawn.
inline constexpr std::size_t kMaxPolygonVertices = 100000;

struct MapPolygon {
    char type = '0';  // the polygon type; '0' before the first header
    std::vector<ProjectedPoint> points;
    std::vector<GeoVertex> vertices;  // the same points in degrees, as read
    // outlined[i]: whether the edge from point i to point i+1 (the last one
    // back to the first) gets an outline. Edges running along the 180th
    // meridian or along a pole line are cuts of the data, not coasts.
    std::vector<bool> outlined;
    bool anyVisible = false;  // at least one vertex on the visible side
    bool overflow = false;    // more than kMaxPolygonVertices: not drawn
    // True when the polygon is to be drawn: a visible vertex, at least one
    // vertex, and within the vertex limit.
    bool drawable() const { return anyVisible && !points.empty() && !overflow; }
};

struct PolygonPassOptions {
    bool shifted = false;  // second copy of the world, 360 degrees east (flat mode)
};

// Reads the file once and calls flush for every polygon ended by a header or
// the end mark (including the empty one before the first header, type '0').
// The polygon still open at the end of a file without end mark is dropped.
// Returns false when the file could not be opened.
bool RunPolygonPass(const std::string& path, MapProjection& projection,
                    const PolygonPassOptions& options,
                    const std::function<void(const MapPolygon&)>& flush);

// Reads the file once and calls segment for every pair of successive points
// of a polyline block. The callback may change the pair's longitudes (the
// date-line handling of map segments); the second end as left by it starts
// the next segment. Returns false when the file could not be opened.
bool RunPolylinePass(const std::string& path,
                     const std::function<void(double latitudes[2], double longitudes[2])>& segment);

}  // namespace sorae
