// A satellite's footprint: the circle of the Earth's surface from which it
// stands above the horizon, as a ring of points for the map to draw.
#pragma once

#include <vector>

#include "map/satellite_track.h"

namespace sorae {

// Mean Earth radius of the footprint's sphere, km.
inline constexpr double kFootprintEarthRadiusKm = 6371.0;

// Angle at the Earth's centre from the sub-satellite point to the rim, in
// degrees, for a satellite `heightKm` above the surface (0 for none).
double FootprintRadiusDeg(double heightKm);

// `count` points of the rim around the sub-satellite point, longitudes in
// -180 .. 180, the first point due north of the centre.
std::vector<TrackPoint> FootprintRing(double latitudeDeg, double longitudeDeg, double heightKm, int count);

}  // namespace sorae
