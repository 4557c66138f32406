#include "map/footprint.h"

#include <algorithm>
#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kDeg = kPi / 180.0;
}  // namespace

double FootprintRadiusDeg(double heightKm) {
    if (!(heightKm > 0.0)) return 0.0;
    // The line of sight that grazes the sphere meets the radius at a right angle.
    return std::acos(kFootprintEarthRadiusKm / (kFootprintEarthRadiusKm + heightKm)) / kDeg;
}

std::vector<TrackPoint> FootprintRing(double latitudeDeg, double longitudeDeg, double heightKm, int count) {
    std::vector<TrackPoint> ring;
    const double radius = FootprintRadiusDeg(heightKm) * kDeg;
    if (radius <= 0.0 || count < 3) return ring;
    ring.reserve(std::size_t(count));
    const double lat0 = latitudeDeg * kDeg;
    const double lon0 = longitudeDeg * kDeg;
    for (int i = 0; i < count; ++i) {
        // The point `radius` away along the bearing, on the sphere.
        const double bearing = 2.0 * kPi * i / count;
        const double lat = std::asin(std::sin(lat0) * std::cos(radius) +
                                     std::cos(lat0) * std::sin(radius) * std::cos(bearing));
        const double lon = lon0 + std::atan2(std::sin(bearing) * std::sin(radius) * std::cos(lat0),
                                             std::cos(radius) - std::sin(lat0) * std::sin(lat));
        double lonDeg = std::fmod(lon / kDeg + 540.0, 360.0) - 180.0;
        if (lonDeg < -180.0) lonDeg += 360.0;
        ring.push_back({std::clamp(lat / kDeg, -90.0, 90.0), lonDeg});
    }
    return ring;
}

}  // namespace sorae
