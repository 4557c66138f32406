// Land and sea in a picture's own geometry, rendered from the world outline:
// the outline's polygons are filled into a latitude/longitude raster around
// the swath (about a kilometre a cell), which every pixel's ground point
// then looks up.
#pragma once

#include <cstdint>
#include <vector>

#include "geo/swath_geolocation.h"
#include "geo/world_outline.h"

namespace sorae {

// 909 x rows bytes, row after row as the picture is saved: 1 land, 0 sea
// (and 0 where a pixel has no ground point).
std::vector<std::uint8_t> RenderLandMask(const SwathGeolocation& swath, const WorldOutline& outline);

}  // namespace sorae
