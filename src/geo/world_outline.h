// The world outline (AllWorld.map) as closed land and water polygons and
// open lines (borders), in degrees, for rendering land masks and overlays.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geo/swath_geolocation.h"

namespace sorae {

struct WorldOutline {
    // Land polygons and the lakes and inland seas inside them; a place is
    // land when an odd number of them surround it.
    std::vector<std::vector<GeoPoint>> polygons;
    std::vector<std::vector<GeoPoint>> lines;
};

// Nothing when the file cannot be read or holds no polygon.
std::optional<WorldOutline> LoadWorldOutline(const std::string& path);

}  // namespace sorae
