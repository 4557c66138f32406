#include "geo/swath_triangles.h"

#include <algorithm>
#include <cmath>

#include "geo/swath_geolocation.h"

namespace sorae {

namespace {
constexpr int kCellColumns = 8;
constexpr int kCellRows = 8;

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

std::vector<double> ControlColumns() {
    std::vector<double> columns;
    for (int c = 0; c < kImageWords - 1; c += kCellColumns) columns.push_back(c);
    columns.push_back(kImageWords - 1);
    // half a pixel beyond the outer words, so the edge pixels are covered whole
    columns.front() = -0.5, columns.back() = kImageWords - 0.5;
    return columns;
}

std::vector<double> ControlRows(int rows, const std::vector<int>& breaksAfter) {
    std::vector<double> out;
    for (int r = 0; r < rows - 1; r += kCellRows) out.push_back(r);
    out.push_back(rows - 1);
    for (int k : breaksAfter)
        if (k >= 0 && k + 1 < rows) out.insert(out.end(), {double(k), double(k + 1)});
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    if (out.size() < 2) out.push_back(out.back());
    out.front() = -0.5, out.back() = rows - 0.5;
    return out;
}

void FillGridTriangle(GridRaster& grid, const double (&gx)[3], const double (&gy)[3], const double (&pc)[3],
                      const double (&pr)[3], const std::vector<float>& picture, int rows) {
    const double det = (gy[1] - gy[2]) * (gx[0] - gx[2]) + (gx[2] - gx[1]) * (gy[0] - gy[2]);
    if (std::abs(det) < 1e-12) return;
    const int y0 = std::max(0, static_cast<int>(std::ceil(std::min({gy[0], gy[1], gy[2]}) - 0.5)));
    const int y1 = std::min(grid.height - 1, static_cast<int>(std::floor(std::max({gy[0], gy[1], gy[2]}) - 0.5)));
    const int x0 = std::max(0, static_cast<int>(std::ceil(std::min({gx[0], gx[1], gx[2]}) - 0.5)));
    const int x1 = std::min(grid.width - 1, static_cast<int>(std::floor(std::max({gx[0], gx[1], gx[2]}) - 0.5)));
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
            grid.values[std::size_t(y) * grid.width + x] = Bilinear(picture, rows, column, row);
        }
}

void FillGridCell(GridRaster& grid, const double (&gx)[4], const double (&gy)[4], double column0, double column1,
                  double row0, double row1, const std::vector<float>& picture, int rows) {
    FillGridTriangle(grid, {gx[0], gx[1], gx[2]}, {gy[0], gy[1], gy[2]}, {column0, column1, column0},
                     {row0, row0, row1}, picture, rows);
    FillGridTriangle(grid, {gx[1], gx[3], gx[2]}, {gy[1], gy[3], gy[2]}, {column1, column1, column0},
                     {row0, row1, row1}, picture, rows);
}

}  // namespace sorae
