#include "geo/tie_points.h"

#include <algorithm>

namespace sorae {

std::vector<GeoTiffTiePoint> PictureTiePoints(const SwathGeolocation& swath, int firstColumn, int step) {
    std::vector<GeoTiffTiePoint> points;
    step = std::max(1, step);
    auto positions = [step](int count) {
        std::vector<int> at;
        for (int i = 0; i < count - 1; i += step) at.push_back(i);
        if (count > 0) at.push_back(count - 1);
        return at;
    };
    for (int row : positions(swath.rows()))
        for (int column : positions(kImageWords))
            if (const auto g = swath.groundPoint({double(column), double(row)}))
                points.push_back({firstColumn + column + 0.5, row + 0.5, g->longitudeDeg, g->latitudeDeg});
    return points;
}

}  // namespace sorae
