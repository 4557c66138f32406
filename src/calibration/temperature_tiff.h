// The temperature file of an infrared channel: a 32-bit float TIFF of
// brightness temperatures in kelvin, one pixel per word of the 909-word
// image area, the picture's rows in the picture's orientation, NaN where
// unknown. Given tie points (pixel, line -> longitude, latitude) it becomes
// a GeoTIFF in WGS 84 geographic coordinates, the raster left in the
// picture's own geometry. Written atomically: a temporary file in the same
// folder, synced, then renamed; on failure the old file stays.
#pragma once

#include <string>
#include <vector>

#include "calibration/pass_calibration.h"

namespace sorae {

struct TiePoint {
    double pixel = 0.0, line = 0.0;
    double longitudeDeg = 0.0, latitudeDeg = 0.0;
};

struct TiffWriteResult {
    bool ok = false;
    std::string error;
};

// values: width x height floats, row by row.
TiffWriteResult WriteFloatTiff(const std::string& path, const std::vector<float>& values, int width,
                               int height, const std::vector<TiePoint>& tiePoints = {});

// The kelvin rows of a channel (rows of other quantities as NaN).
std::vector<float> KelvinRaster(const ChannelCalibration& channel);

}  // namespace sorae
