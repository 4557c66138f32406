// A pass resampled onto a latitude/longitude grid (plate carree, WGS84):
// every picture cell of the control grid is split into two triangles whose
// ground corners are drawn into the grid, and each grid cell inside takes the
// picture bilinearly at the picture position its triangle gives. Cells the
// swath does not cover hold NaN.
#pragma once

#include <vector>

#include "geo/swath_geolocation.h"

namespace sorae {

struct PlateCarreeRaster {
    int width = 0;
    int height = 0;
    double westDeg = 0.0;   // outer edge of the first column (may exceed 180 past the antimeridian)
    double northDeg = 0.0;  // outer edge of the first row
    double cellDeg = 0.0;
    std::vector<float> values;  // row after row from the north, NaN where nothing
};

// About the APT ground resolution (3.3 km of latitude).
inline constexpr double kPlateCarreeCellDeg = 0.03;

// `picture` is 909 x swath.rows() values, row after row as saved.
PlateCarreeRaster ResampleToPlateCarree(const SwathGeolocation& swath, const std::vector<float>& picture,
                                        double cellDeg = kPlateCarreeCellDeg);

}  // namespace sorae
