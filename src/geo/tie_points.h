// Tie points (pixel, line -> longitude, latitude) of a picture left in its own
// geometry, for a GeoTIFF that a map program warps itself: a regular grid of
// the swath's ground points.
#pragma once

#include <vector>

#include "geo/geotiff_file.h"
#include "geo/swath_geolocation.h"

namespace sorae {

// `firstColumn` is where the image area starts in the raster written (0 for
// a raster of the 909 image words, ImageAreaFirstColumn() for the whole
// 1040-wide channel picture); points every `step` words and rows, the last
// column and row always included. Pixel and line count from the raster's
// outer corner, so a pixel centre lies at +0.5.
std::vector<GeoTiffTiePoint> PictureTiePoints(const SwathGeolocation& swath, int firstColumn, int step = 64);

}  // namespace sorae
