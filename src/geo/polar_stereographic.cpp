#include "geo/polar_stereographic.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include <proj.h>

#include "geo/swath_triangles.h"

namespace sorae {

namespace {

// The two grids as PROJ strings, so no database lookup is needed.
const char* ProjectionOf(int epsg) {
    switch (epsg) {
    case 3413: return "+proj=stere +lat_0=90 +lat_ts=70 +lon_0=-45 +x_0=0 +y_0=0 +ellps=WGS84 +units=m";
    case 3031: return "+proj=stere +lat_0=-90 +lat_ts=-71 +lon_0=0 +x_0=0 +y_0=0 +ellps=WGS84 +units=m";
    default: return nullptr;
    }
}

// One PROJ context and projection, released together.
class Projection {
public:
    explicit Projection(int epsg) : context_(proj_context_create()) {
        const char* definition = ProjectionOf(epsg);
        if (context_ && definition) projection_ = proj_create(context_, definition);
    }
    ~Projection() {
        if (projection_) proj_destroy(projection_);
        if (context_) proj_context_destroy(context_);
    }
    Projection(const Projection&) = delete;
    Projection& operator=(const Projection&) = delete;

    bool ok() const { return projection_ != nullptr; }
    std::string error() const {
        return context_ ? proj_context_errno_string(context_, proj_context_errno(context_)) : "no PROJ context";
    }
    std::optional<std::pair<double, double>> forward(const GeoPoint& p) const {
        if (!std::isfinite(p.latitudeDeg) || !std::isfinite(p.longitudeDeg)) return std::nullopt;
        const PJ_COORD in = proj_coord(proj_torad(p.longitudeDeg), proj_torad(p.latitudeDeg), 0, 0);
        const PJ_COORD out = proj_trans(projection_, PJ_FWD, in);
        if (!std::isfinite(out.xy.x) || !std::isfinite(out.xy.y) || std::abs(out.xy.x) > 1e8) return std::nullopt;
        return std::make_pair(out.xy.x, out.xy.y);
    }

private:
    PJ_CONTEXT* context_ = nullptr;
    PJ* projection_ = nullptr;
};

}  // namespace

std::optional<std::pair<double, double>> PolarStereographicXY(int epsg, const GeoPoint& point) {
    const Projection projection(epsg);
    if (!projection.ok()) return std::nullopt;
    return projection.forward(point);
}

std::optional<PolarStereographicRaster> ResampleToPolarStereographic(const SwathGeolocation& swath,
                                                                     const std::vector<float>& picture,
                                                                     std::string* error, double cellMetres) {
    auto fail = [&](const std::string& text) -> std::optional<PolarStereographicRaster> {
        if (error) *error = text;
        return std::nullopt;
    };
    const int rows = swath.rows();
    if (rows < 2 || picture.size() < std::size_t(kImageWords) * rows) return fail("too few picture rows");
    if (!(cellMetres > 0.0)) return fail("no cell size");
    const auto middle = swath.subSatellitePoint(0.5 * (rows - 1));
    if (!middle) return fail("the pass has no ground track");
    PolarStereographicRaster out;
    out.epsg = middle->latitudeDeg >= 0.0 ? 3413 : 3031;
    const Projection projection(out.epsg);
    if (!projection.ok()) return fail("PROJ cannot make the polar stereographic projection: " + projection.error());

    const std::vector<double> nodeColumns = ControlColumns(), nodeRows = ControlRows(rows, swath.breaksAfter());
    const int nc = static_cast<int>(nodeColumns.size()), nr = static_cast<int>(nodeRows.size());
    std::vector<std::optional<std::pair<double, double>>> nodes(std::size_t(nc) * nr);
    double west = 1e300, east = -1e300, south = 1e300, north = -1e300;
    for (int j = 0; j < nr; ++j)
        for (int i = 0; i < nc; ++i) {
            const auto g = swath.groundPoint({nodeColumns[i], nodeRows[j]});
            if (!g) continue;
            auto& node = nodes[std::size_t(j) * nc + i];
            node = projection.forward(*g);
            if (!node) continue;
            west = std::min(west, node->first), east = std::max(east, node->first);
            south = std::min(south, node->second), north = std::max(north, node->second);
        }
    if (west > east) return fail("no part of the pass can be projected");
    out.cellMetres = cellMetres;
    out.westMetres = std::floor(west / cellMetres) * cellMetres;
    out.northMetres = std::ceil(north / cellMetres) * cellMetres;
    out.width = std::max(1, static_cast<int>(std::ceil((east - out.westMetres) / cellMetres)));
    out.height = std::max(1, static_cast<int>(std::ceil((out.northMetres - south) / cellMetres)));
    GridRaster grid{out.width, out.height,
                    std::vector<float>(std::size_t(out.width) * out.height, std::numeric_limits<float>::quiet_NaN())};
    for (int j = 0; j + 1 < nr; ++j)
        for (int i = 0; i + 1 < nc; ++i) {
            const std::size_t k[4] = {std::size_t(j) * nc + i, std::size_t(j) * nc + i + 1,
                                      std::size_t(j + 1) * nc + i, std::size_t(j + 1) * nc + i + 1};
            if (!nodes[k[0]] || !nodes[k[1]] || !nodes[k[2]] || !nodes[k[3]]) continue;
            if (swath.spansBreak(nodeRows[j], nodeRows[j + 1])) continue;  // sound lost: no data
            double gx[4], gy[4];
            for (int q = 0; q < 4; ++q) {
                gx[q] = (nodes[k[q]]->first - out.westMetres) / cellMetres;
                gy[q] = (out.northMetres - nodes[k[q]]->second) / cellMetres;
            }
            FillGridCell(grid, gx, gy, nodeColumns[i], nodeColumns[i + 1], nodeRows[j], nodeRows[j + 1], picture, rows);
        }
    out.values = std::move(grid.values);
    return out;
}

}  // namespace sorae
