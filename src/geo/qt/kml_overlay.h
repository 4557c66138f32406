// A pass as a KML ground overlay that a globe viewer opens in place: the
// plate carree raster as a PNG (transparent where the swath has no data)
// beside a small KML file that names it and its latitude/longitude box.
// Both are written under temporary names and renamed into place.
#pragma once

#include <string>

#include "geo/plate_carree.h"

namespace sorae {

// `kmlPath` ends in ".kml"; the picture goes beside it with ".png". Grey
// values are taken as 0..255. Returns false with *error when either file
// cannot be written (an older pair stays as it was).
bool WriteKmlOverlay(const std::string& kmlPath, const std::string& name, const PlateCarreeRaster& raster,
                     std::string* error);

}  // namespace sorae
