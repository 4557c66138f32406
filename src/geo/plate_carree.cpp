#include "geo/plate_carree.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sorae {

namespace {
constexpr int kCellColumns = 8;
constexpr int kCellRows = 8;

struct Node {
    double x = 0, y = 0;  // grid position (columns east, rows south), unwrapped
    bool valid = false;
};

double Unwrap(double lon, double reference) {
    while (lon - reference > 180.0) lon -= 360.0;
    while (lon - reference < -180.0) lon += 360.0;
    return lon;
}

float Bilinear(const std::vector<float>& picture, int rows, double column, double row) {
    column = std::clamp(column, 0.0, double(kImageWords - 1));
    row = std::clamp(row, 0.0, double(rows - 1));
    const int c0 = std::min(static_cast<int>(column), kImageWords - 2);
    const int r0 = std::min(static_cast<int>(row), std::max(0, rows - 2));
    const int r1 = std::min(r0 + 1, rows - 1);
    const double fc = column - c0, fr = row - r0;
    const float* a = &picture[std::size_t(r0) * kImageWords + c0];
    const float* b = &picture[std::size_t(r1) * kImageWords + c0];
    const double top = a[0] + fc * (a[1] - a[0]);
    const double bottom = b[0] + fc * (b[1] - b[0]);
    return static_cast<float>(top + fr * (bottom - top));
}
}  // namespace

PlateCarreeRaster ResampleToPlateCarree(const SwathGeolocation& swath, const std::vector<float>& picture,
                                        double cellDeg) {
    PlateCarreeRaster out;
    const int rows = swath.rows();
    if (rows < 2 || picture.size() < std::size_t(kImageWords) * rows) return out;
    const double reference = swath.subSatellitePoint(0.5 * (rows - 1))->longitudeDeg;

    // picture positions of the control nodes and their ground points
    std::vector<double> nodeColumns, nodeRows;
    for (int c = 0; c < kImageWords - 1; c += kCellColumns) nodeColumns.push_back(c);
    nodeColumns.push_back(kImageWords - 1);
    for (int r = 0; r < rows - 1; r += kCellRows) nodeRows.push_back(r);
    nodeRows.push_back(rows - 1);
    // half a pixel beyond the outer words, so the edge pixels are covered whole
    nodeColumns.front() = -0.5, nodeColumns.back() = kImageWords - 0.5;
    nodeRows.front() = -0.5, nodeRows.back() = rows - 0.5;
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

    // one triangle: corners in grid positions and in picture positions
    auto drawTriangle = [&](const double (&gx)[3], const double (&gy)[3], const double (&pc)[3],
                            const double (&pr)[3]) {
        const double det = (gy[1] - gy[2]) * (gx[0] - gx[2]) + (gx[2] - gx[1]) * (gy[0] - gy[2]);
        if (std::abs(det) < 1e-12) return;
        const int y0 = std::max(0, static_cast<int>(std::ceil(std::min({gy[0], gy[1], gy[2]}) - 0.5)));
        const int y1 = std::min(out.height - 1, static_cast<int>(std::floor(std::max({gy[0], gy[1], gy[2]}) - 0.5)));
        const int x0 = std::max(0, static_cast<int>(std::ceil(std::min({gx[0], gx[1], gx[2]}) - 0.5)));
        const int x1 = std::min(out.width - 1, static_cast<int>(std::floor(std::max({gx[0], gx[1], gx[2]}) - 0.5)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double l0 = ((gy[1] - gy[2]) * (px - gx[2]) + (gx[2] - gx[1]) * (py - gy[2])) / det;
                const double l1 = ((gy[2] - gy[0]) * (px - gx[2]) + (gx[0] - gx[2]) * (py - gy[2])) / det;
                const double l2 = 1.0 - l0 - l1;
                constexpr double e = -1e-9;
                if (l0 < e || l1 < e || l2 < e) continue;
                const double column = l0 * pc[0] + l1 * pc[1] + l2 * pc[2];
                const double row = l0 * pr[0] + l1 * pr[1] + l2 * pr[2];
                out.values[std::size_t(y) * out.width + x] = Bilinear(picture, rows, column, row);
            }
    };

    for (int j = 0; j + 1 < nr; ++j)
        for (int i = 0; i + 1 < nc; ++i) {
            const std::size_t k[4] = {std::size_t(j) * nc + i, std::size_t(j) * nc + i + 1,
                                      std::size_t(j + 1) * nc + i, std::size_t(j + 1) * nc + i + 1};
            if (!valid[k[0]] || !valid[k[1]] || !valid[k[2]] || !valid[k[3]]) continue;
            double lon[4], lat[4];
            // corners unwrapped against the first, so a cell on the raster's
            // seam stays whole (the shifts below draw both sides of the seam)
            for (int q = 0; q < 4; ++q)
                lon[q] = Unwrap(ground[k[q]].longitudeDeg, ground[k[0]].longitudeDeg),
                lat[q] = ground[k[q]].latitudeDeg;
            // a cell around a pole has no sensible plate carree shape: leave it
            const double span = std::max({lon[0], lon[1], lon[2], lon[3]}) - std::min({lon[0], lon[1], lon[2], lon[3]});
            if (span > 90.0) continue;
            const double pc[4] = {nodeColumns[i], nodeColumns[i + 1], nodeColumns[i], nodeColumns[i + 1]};
            const double pr[4] = {nodeRows[j], nodeRows[j], nodeRows[j + 1], nodeRows[j + 1]};
            for (double shift : {0.0, -360.0, 360.0}) {
                double gx[4], gy[4];
                for (int q = 0; q < 4; ++q) {
                    gx[q] = (lon[q] + shift - out.westDeg) / cellDeg;
                    gy[q] = (out.northDeg - lat[q]) / cellDeg;
                }
                if (std::max({gx[0], gx[1], gx[2], gx[3]}) < 0 || std::min({gx[0], gx[1], gx[2], gx[3]}) > out.width)
                    continue;
                drawTriangle({gx[0], gx[1], gx[2]}, {gy[0], gy[1], gy[2]}, {pc[0], pc[1], pc[2]}, {pr[0], pr[1], pr[2]});
                drawTriangle({gx[1], gx[3], gx[2]}, {gy[1], gy[3], gy[2]}, {pc[1], pc[3], pc[2]}, {pr[1], pr[3], pr[2]});
            }
        }
    return out;
}

}  // namespace sorae
