// GeoTIFF files of georeferenced rasters (libgeotiff on libtiff): 8-bit
// greyscale or 32-bit float, on a plate carree grid (EPSG:4326), on the grid
// of a projected system named by its EPSG code, or left in the picture's own
// geometry with tie points (pixel, line -> longitude, latitude). Written under a temporary name in the same folder,
// every write checked, flushed to disk and then renamed over the target;
// on any failure the temporary is removed and an older file stays as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sorae {

struct GeoTiffTiePoint {
    double pixel = 0.0;
    double line = 0.0;
    double longitudeDeg = 0.0;
    double latitudeDeg = 0.0;
};

struct GeoTiffGeoreference {
    // plate carree: outer edges of the first column and row, square cells
    double westDeg = 0.0;
    double northDeg = 0.0;
    double cellDeg = 0.0;
    // when not empty, these place the raster instead of the grid above
    std::vector<GeoTiffTiePoint> tiePoints;
    // the value that marks cells without data (written as GDAL's no-data tag)
    std::optional<double> noData;
    // when set, a grid in metres of a projected system instead of the grid and tie points above
    struct ProjectedGrid {
        int epsg = 0;
        double westMetres = 0.0;
        double northMetres = 0.0;
        double cellMetres = 0.0;
    };
    std::optional<ProjectedGrid> projected;
};

bool WriteGeoTiff(const std::string& path, int width, int height, const std::vector<std::uint8_t>& grey,
                  const GeoTiffGeoreference& where, std::string* error);
bool WriteGeoTiff(const std::string& path, int width, int height, const std::vector<float>& values,
                  const GeoTiffGeoreference& where, std::string* error);

}  // namespace sorae
