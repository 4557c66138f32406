// Lays a pass's picture on a regular grid, whatever the grid's projection:
// the picture's control cells (every 8 words and 8 rows, and half a pixel
// beyond the outer ones) are split into two triangles whose ground corners
// the caller has put into grid positions; each grid cell whose centre lies
// inside a triangle takes the picture bilinearly at the picture position the
// triangle gives there.
#pragma once

#include <vector>

namespace sorae {

// Picture positions (columns and rows of a 909 x rows picture) of the
// control nodes, in order. The rows either side of a break (sound lost
// after row k) are nodes, so that the cell between them can be left out.
std::vector<double> ControlColumns();
std::vector<double> ControlRows(int rows, const std::vector<int>& breaksAfter = {});

struct GridRaster {
    int width = 0;
    int height = 0;
    std::vector<float> values;  // row after row, NaN where nothing
};

// One triangle: corners in grid positions (x east, y down, in cells) and in
// picture positions. Cells outside the grid are left alone.
void FillGridTriangle(GridRaster& grid, const double (&gx)[3], const double (&gy)[3], const double (&column)[3],
                      const double (&row)[3], const std::vector<float>& picture, int rows);

// One control cell, its corners in the order (column0, row0), (column1,
// row0), (column0, row1), (column1, row1): two triangles.
void FillGridCell(GridRaster& grid, const double (&gx)[4], const double (&gy)[4], double column0, double column1,
                  double row0, double row1, const std::vector<float>& picture, int rows);

}  // namespace sorae
