#include "geo/plate_carree.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geo/swath_triangles.h"

namespace sorae {

namespace {
double Unwrap(double lon, double reference) {
    while (lon - reference > 180.0) lon -= 360.0;
    while (lon - reference < -180.0) lon += 360.0;
    return lon;
}
}  // namespace

PlateCarreeRaster ResampleToPlateCarree(const SwathGeolocation& swath, const std::vector<float>& picture,
                                        double cellDeg) {
    PlateCarreeRaster out;
    const int rows = swath.rows();
    if (rows < 2 || picture.size() < std::size_t(kImageWords) * rows) return out;
    const double reference = swath.subSatellitePoint(0.5 * (rows - 1))->longitudeDeg;

    // picture positions of the control nodes and their ground points
    const std::vector<double> nodeColumns = ControlColumns(), nodeRows = ControlRows(rows, swath.breaksAfter());
    const int nc = static_cast<int>(nodeColumns.size()), nr = static_cast<int>(nodeRows.size());
    std::vector<GeoPoint> ground(std::size_t(nc) * nr);
    std::vector<bool> valid(ground.size(), false);
    double south = 90, north = -90, west = 1e9, east = -1e9;
    for (int j = 0; j < nr; ++j)
        for (int i = 0; i < nc; ++i) {
            const auto g = swath.groundPoint({nodeColumns[i], nodeRows[j]});
            if (!g) continue;
            GeoPoint p{g->latitudeDeg, Unwrap(g->longitudeDeg, reference)};
            ground[std::size_t(j) * nc + i] = p;
            valid[std::size_t(j) * nc + i] = true;
            south = std::min(south, p.latitudeDeg), north = std::max(north, p.latitudeDeg);
            west = std::min(west, p.longitudeDeg), east = std::max(east, p.longitudeDeg);
        }
    if (south > north) return out;
    const bool northPole = swath.picturePoint({90.0, 0.0}).has_value();
    const bool southPole = swath.picturePoint({-90.0, 0.0}).has_value();
    if (northPole) north = 90.0;
    if (southPole) south = -90.0;
    if (northPole || southPole) west = reference - 180.0, east = reference + 180.0;

    out.cellDeg = cellDeg;
    out.westDeg = std::floor(west / cellDeg) * cellDeg;
    out.northDeg = std::ceil(north / cellDeg) * cellDeg;
    out.width = static_cast<int>(std::ceil((east - out.westDeg) / cellDeg));
    out.height = static_cast<int>(std::ceil((out.northDeg - south) / cellDeg));
    out.values.assign(std::size_t(out.width) * out.height, std::numeric_limits<float>::quiet_NaN());

    GridRaster grid{out.width, out.height, std::move(out.values)};
    for (int j = 0; j + 1 < nr; ++j)
        for (int i = 0; i + 1 < nc; ++i) {
            const std::size_t k[4] = {std::size_t(j) * nc + i, std::size_t(j) * nc + i + 1,
                                      std::size_t(j + 1) * nc + i, std::size_t(j + 1) * nc + i + 1};
            if (!valid[k[0]] || !valid[k[1]] || !valid[k[2]] || !valid[k[3]]) continue;
            if (swath.spansBreak(nodeRows[j], nodeRows[j + 1])) continue;  // sound lost: no data
            double lon[4], lat[4];
            // corners unwrapped against the first, so a cell on the raster's
            // seam stays whole (the shifts below draw both sides of the seam)
            for (int q = 0; q < 4; ++q)
                lon[q] = Unwrap(ground[k[q]].longitudeDeg, ground[k[0]].longitudeDeg),
                lat[q] = ground[k[q]].latitudeDeg;
            // a cell around a pole has no sensible plate carree shape: leave it
            const double span = std::max({lon[0], lon[1], lon[2], lon[3]}) - std::min({lon[0], lon[1], lon[2], lon[3]});
            if (span > 90.0) continue;
            for (double shift : {0.0, -360.0, 360.0}) {
                double gx[4], gy[4];
                for (int q = 0; q < 4; ++q) {
                    gx[q] = (lon[q] + shift - out.westDeg) / cellDeg;
                    gy[q] = (out.northDeg - lat[q]) / cellDeg;
                }
                if (std::max({gx[0], gx[1], gx[2], gx[3]}) < 0 || std::min({gx[0], gx[1], gx[2], gx[3]}) > out.width)
                    continue;
                FillGridCell(grid, gx, gy, nodeColumns[i], nodeColumns[i + 1], nodeRows[j], nodeRows[j + 1], picture, rows);
            }
        }
    out.values = std::move(grid.values);
    return out;
}

}  // namespace sorae
