#include "geo/swath_footprint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sorae {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;

}  // namespace

double ArcDegrees(GeoPoint a, GeoPoint b) {
    const double la1 = a.latitudeDeg * kRad, la2 = b.latitudeDeg * kRad;
    const double dLat = la2 - la1;
    const double dLon = (b.longitudeDeg - a.longitudeDeg) * kRad;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(la1) * std::cos(la2) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * std::asin(std::min(1.0, std::sqrt(h))) / kRad;
}

int SwathFootprint::latCell(double latitude) {
    return std::clamp(int(std::floor(latitude + 90.0)), 0, kLatCells - 1);
}

int SwathFootprint::lonCell(double longitude) {
    double l = std::fmod(longitude + 180.0, 360.0);
    if (l < 0) l += 360.0;
    return std::clamp(int(std::floor(l)), 0, kLonCells - 1);
}

bool SwathFootprint::mayShow(GeoPoint place) const {
    if (!std::isfinite(place.latitudeDeg) || !std::isfinite(place.longitudeDeg)) return false;
    return cells_.test(std::size_t(latCell(place.latitudeDeg) * kLonCells + lonCell(place.longitudeDeg)));
}

void SwathFootprint::markAround(GeoPoint c, double radiusDeg) {
    const int lat0 = latCell(c.latitudeDeg - radiusDeg);
    const int lat1 = latCell(c.latitudeDeg + radiusDeg);
    for (int la = lat0; la <= lat1; ++la) {
        // The widest parallel of the band decides how many longitude cells
        // the radius spans; near a pole that is all of them.
        const double edge = std::max(std::abs(la - 90.0), std::abs(la + 1 - 90.0));
        const double cosLat = std::cos(std::min(edge, 90.0) * kRad);
        const double lonRadius = cosLat > 1e-6 ? radiusDeg / cosLat : 360.0;
        if (lonRadius >= 180.0) {
            for (int lo = 0; lo < kLonCells; ++lo) cells_.set(std::size_t(la * kLonCells + lo));
            continue;
        }
        const int from = int(std::floor(c.longitudeDeg - lonRadius));
        const int to = int(std::floor(c.longitudeDeg + lonRadius));
        for (int lo = from; lo <= to; ++lo) {
            cells_.set(std::size_t(la * kLonCells + lonCell(lo + 0.5)));
        }
    }
}

SwathFootprint SwathFootprint::wholeWorld() {
    SwathFootprint f;
    f.cells_.set();
    f.samples_ = 1;
    f.minLatitude_ = -90.0;
    f.maxLatitude_ = 90.0;
    f.extentDeg_ = 180.0;
    return f;
}

SwathFootprint SwathFootprint::fromPicture(const PictureToGround& groundPoint, int columns, int rows,
                                           int samplePixels) {
    SwathFootprint f;
    if (!groundPoint || columns <= 0 || rows <= 0) return f;
    samplePixels = std::max(1, samplePixels);
    std::vector<double> xs, ys;
    for (int x = 0; x < columns - 1; x += samplePixels) xs.push_back(x);
    xs.push_back(columns - 1);
    for (int y = 0; y < rows - 1; y += samplePixels) ys.push_back(y);
    ys.push_back(rows - 1);

    const std::size_t nx = xs.size();
    std::vector<std::optional<GeoPoint>> grid(nx * ys.size());
    for (std::size_t j = 0; j < ys.size(); ++j)
        for (std::size_t i = 0; i < nx; ++i) grid[j * nx + i] = groundPoint({xs[i], ys[j]});

    f.minLatitude_ = 90.0;
    f.maxLatitude_ = -90.0;
    std::optional<GeoPoint> middle = grid[(ys.size() / 2) * nx + nx / 2];
    for (std::size_t j = 0; j < ys.size(); ++j) {
        for (std::size_t i = 0; i < nx; ++i) {
            const auto& p = grid[j * nx + i];
            if (!p) continue;
            ++f.samples_;
            if (!middle) middle = p;
            f.minLatitude_ = std::min(f.minLatitude_, p->latitudeDeg);
            f.maxLatitude_ = std::max(f.maxLatitude_, p->latitudeDeg);
            // Reach as far as the neighbouring samples, and a cell beyond.
            double reach = 0.0;
            for (const auto& n : {i + 1 < nx ? grid[j * nx + i + 1] : std::nullopt,
                                  i > 0 ? grid[j * nx + i - 1] : std::nullopt,
                                  j + 1 < ys.size() ? grid[(j + 1) * nx + i] : std::nullopt,
                                  j > 0 ? grid[(j - 1) * nx + i] : std::nullopt}) {
                if (n) reach = std::max(reach, ArcDegrees(*p, *n));
            }
            f.markAround(*p, reach + 1.0);
        }
    }
    if (f.samples_ == 0) {
        f.minLatitude_ = f.maxLatitude_ = 0.0;
        return f;
    }
    for (const auto& p : grid) {
        if (p) f.extentDeg_ = std::max(f.extentDeg_, 2.0 * ArcDegrees(*middle, *p));
    }
    return f;
}

}  // namespace sorae
