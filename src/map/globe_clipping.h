// The visible part of an outline ring on the globe. A ring of the map file
// is cut where it crosses the horizon; the stretches on the far side are
// replaced by the arc of the horizon circle (the rim of the disk) that keeps
// the ring's inside on the same side, so that a filled ring covers exactly
// the part of its area that faces the station.
//
// The inside of a ring is the area it bounds on the longitude/latitude
// plane, as on the flat map, whichever way round its points run.
#pragma once

#include <vector>

#include "map/map_projection.h"

namespace sorae {

struct GeoVertex {
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
};

// A point of the globe view in pixels, not yet truncated.
struct GlobePoint {
    double x = 0.0;
    double y = 0.0;
};

struct ClippedRing {
    std::vector<GlobePoint> points;
    // outlined[i]: whether the edge from point i to the next one (the last
    // back to the first) is drawn as a coast; edges along the rim are not.
    std::vector<bool> outlined;
};

// The rings that, filled together with the even-odd rule, cover the
// visible part of the ring. Empty when nothing of it faces the station.
// outlined[i] tells whether the ring's edge from vertex i to vertex i+1 is a
// coast (it may be empty: every edge is). The projection must be in globe mode.
std::vector<ClippedRing> ClipRingToGlobe(const MapProjection& projection,
                                         const std::vector<GeoVertex>& ring,
                                         const std::vector<bool>& outlined);

// Whether a point lies inside a ring on the longitude/latitude plane
// (even-odd rule).
bool RingContains(const std::vector<GeoVertex>& ring, double latitude, double longitude);

}  // namespace sorae
