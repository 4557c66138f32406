// A pass resampled onto a polar stereographic grid (WGS84), the projection
// sea-ice and polar charts use: the north polar grid of EPSG:3413 (true
// scale at 70 N, 45 W straight down) for passes over the northern
// hemisphere, the Antarctic grid of EPSG:3031 (true scale at 71 S) for the
// southern. PROJ does the projecting. Unlike the latitude/longitude grid it
// keeps passes over a pole in one piece and in true shape.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geo/swath_geolocation.h"

namespace sorae {

struct PolarStereographicRaster {
    int epsg = 0;            // 3413 or 3031
    int width = 0;
    int height = 0;
    double westMetres = 0.0;   // outer edge of the first column
    double northMetres = 0.0;  // outer edge of the first row
    double cellMetres = 0.0;
    std::vector<float> values;  // row after row from the top, NaN where nothing
};

// About the APT ground resolution.
inline constexpr double kPolarCellMetres = 4000.0;

// Projected coordinates (metres) of a ground point on the grid of `epsg`,
// nothing when PROJ cannot make the projection.
std::optional<std::pair<double, double>> PolarStereographicXY(int epsg, const GeoPoint& point);

// `picture` is 909 x swath.rows() values, row after row as saved. Nothing,
// with the reason, when the projection cannot be set up.
std::optional<PolarStereographicRaster> ResampleToPolarStereographic(const SwathGeolocation& swath,
                                                                     const std::vector<float>& picture,
                                                                     std::string* error,
                                                                     double cellMetres = kPolarCellMetres);

}  // namespace sorae
