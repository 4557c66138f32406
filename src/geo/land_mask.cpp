#include "geo/land_mask.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace sorae {

namespace {

// A latitude/longitude raster of land around the swath. Longitudes are
// unwrapped to lie within half a turn of the swath's middle, so a swath across
// the antimeridian is one piece.
class RegionRaster {
public:
    RegionRaster(double south, double north, double west, double east) {
        cell_ = 0.01;
        const double area = (north - south) * (east - west);
        constexpr double kMaxCells = 8e6;  // cells of 1.5 km at worst for a long pass
        if (area / (cell_ * cell_) > kMaxCells) cell_ = std::sqrt(area / kMaxCells);
        south_ = south;
        west_ = west;
        width_ = std::max(1, static_cast<int>(std::ceil((east - west) / cell_)));
        height_ = std::max(1, static_cast<int>(std::ceil((north - south) / cell_)));
        cells_.assign(std::size_t(width_) * height_, 0);
    }

    // Even-odd fill of all polygons together: lakes inside land come out as
    // water, islands in lakes as land.
    void fill(const std::vector<std::vector<GeoPoint>>& polygons) {
        std::vector<std::vector<float>> crossings(height_);
        const double east = west_ + width_ * cell_;
        for (const auto& polygon : polygons) {
            double lo = 1e9, hi = -1e9;
            for (const GeoPoint& p : polygon) {
                lo = std::min(lo, p.longitudeDeg);
                hi = std::max(hi, p.longitudeDeg);
            }
            for (double shift : {-360.0, 0.0, 360.0}) {
                if (hi + shift < west_ || lo + shift > east) continue;
                addEdges(polygon, shift, crossings);
            }
        }
        for (int y = 0; y < height_; ++y) {
            auto& xs = crossings[y];
            std::sort(xs.begin(), xs.end());
            std::uint8_t* row = &cells_[std::size_t(y) * width_];
            for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
                const int from = std::max(0, static_cast<int>(std::ceil(xs[i] - 0.5f)));
                const int to = std::min(width_ - 1, static_cast<int>(std::ceil(xs[i + 1] - 0.5f)) - 1);
                for (int x = from; x <= to; ++x) row[x] ^= 1;
            }
        }
    }

    std::uint8_t at(double lat, double lonUnwrapped) const {
        const int x = static_cast<int>(std::floor((lonUnwrapped - west_) / cell_));
        const int y = static_cast<int>(std::floor((lat - south_) / cell_));
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
        return cells_[std::size_t(y) * width_ + x];
    }

private:
    void addEdges(const std::vector<GeoPoint>& polygon, double shift,
                  std::vector<std::vector<float>>& crossings) const {
        const std::size_t n = polygon.size();
        for (std::size_t i = 0; i < n; ++i) {
            const GeoPoint& a = polygon[i];
            const GeoPoint& b = polygon[(i + 1) % n];
            const double ya = (a.latitudeDeg - south_) / cell_ - 0.5;
            const double yb = (b.latitudeDeg - south_) / cell_ - 0.5;
            if (ya == yb) continue;
            // rows whose centre lies in [min, max)
            const double lo = std::min(ya, yb), hi = std::max(ya, yb);
            const int first = std::max(0, static_cast<int>(std::ceil(lo)));
            const int last = std::min(height_ - 1, static_cast<int>(std::ceil(hi)) - 1);
            const double xa = (a.longitudeDeg + shift - west_) / cell_;
            const double xb = (b.longitudeDeg + shift - west_) / cell_;
            for (int y = first; y <= last; ++y) {
                const double f = (y - ya) / (yb - ya);
                crossings[y].push_back(static_cast<float>(xa + f * (xb - xa)));
            }
        }
    }

    double south_ = 0, west_ = 0, cell_ = 0.01;
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> cells_;
};

double Unwrap(double lon, double reference) {
    while (lon - reference > 180.0) lon -= 360.0;
    while (lon - reference < -180.0) lon += 360.0;
    return lon;
}

}  // namespace

std::vector<std::uint8_t> RenderLandMask(const SwathGeolocation& swath, const WorldOutline& outline) {
    const int rows = swath.rows();
    std::vector<std::uint8_t> mask(std::size_t(kImageWords) * rows, 0);
    const auto middle = swath.subSatellitePoint(0.5 * (rows - 1));
    if (!middle || rows < 1) return mask;
    const double reference = middle->longitudeDeg;

    // the swath's extent, from its border
    double south = 90, north = -90, west = 1e9, east = -1e9;
    auto extend = [&](double c, double r) {
        const auto g = swath.groundPoint({c, r});
        if (!g) return;
        south = std::min(south, g->latitudeDeg);
        north = std::max(north, g->latitudeDeg);
        const double lon = Unwrap(g->longitudeDeg, reference);
        west = std::min(west, lon);
        east = std::max(east, lon);
    };
    for (int r = 0; r < rows; r += 4) {
        extend(0, r);
        extend(kImageWords - 1, r);
        extend(454, r);
    }
    for (int c = 0; c < kImageWords; c += 4) {
        extend(c, 0);
        extend(c, rows - 1);
    }
    if (swath.picturePoint({90.0, 0.0})) north = 90, west = reference - 180, east = reference + 180;
    if (swath.picturePoint({-90.0, 0.0})) south = -90, west = reference - 180, east = reference + 180;
    const double margin = 0.5;
    RegionRaster raster(std::max(-90.0, south - margin), std::min(90.0, north + margin),
                        west - margin, east + margin);
    raster.fill(outline.polygons);

    // Ground points every few words, straight lines between them: over four
    // words the error stays far below a raster cell.
    constexpr int kStep = 4;
    std::vector<double> lat(kImageWords), lon(kImageWords);
    std::vector<bool> known(kImageWords);
    for (int r = 0; r < rows; ++r) {
        std::optional<GeoPoint> b = swath.groundPoint({0.0, double(r)});
        for (int c = 0; c < kImageWords - 1; c += kStep) {
            const int end = std::min(c + kStep, kImageWords - 1);
            const auto a = b;
            b = swath.groundPoint({double(end), double(r)});
            for (int k = c; k <= end; ++k) known[k] = a && b;
            if (!a || !b) continue;
            const double lonA = Unwrap(a->longitudeDeg, reference);
            const double lonB = Unwrap(b->longitudeDeg, lonA);
            // across a pole the straight line means nothing: take each word's own point
            const bool exact = std::abs(lonB - lonA) > 5.0;
            for (int k = c; k <= end; ++k) {
                if (exact) {
                    const auto g = swath.groundPoint({double(k), double(r)});
                    known[k] = g.has_value();
                    if (g) lat[k] = g->latitudeDeg, lon[k] = Unwrap(g->longitudeDeg, reference);
                    continue;
                }
                const double f = double(k - c) / (end - c);
                lat[k] = a->latitudeDeg + f * (b->latitudeDeg - a->latitudeDeg);
                lon[k] = Unwrap(lonA + f * (lonB - lonA), reference);
            }
        }
        std::uint8_t* out = &mask[std::size_t(r) * kImageWords];
        for (int c = 0; c < kImageWords; ++c)
            if (known[c]) out[c] = raster.at(lat[c], lon[c]);
    }
    return mask;
}

}  // namespace sorae
