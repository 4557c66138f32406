// The WGS84 ellipsoid and the few vector steps the georeferencing needs:
// geodetic and Cartesian coordinates, the ellipsoid point below a satellite,
// where a line of sight meets the ground.
#pragma once

#include <array>
#include <optional>

namespace sorae {

using Vec3 = std::array<double, 3>;

// WGS84 (NIMA TR8350.2): semi-major axis and flattening.
inline constexpr double kWgs84A = 6378.137;  // km
inline constexpr double kWgs84F = 1.0 / 298.257223563;
inline constexpr double kWgs84B = kWgs84A * (1.0 - kWgs84F);
inline constexpr double kWgs84E2 = kWgs84F * (2.0 - kWgs84F);
inline constexpr double kDegPerRad = 57.29577951308232;

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vec3 operator*(double s, const Vec3& a) { return {s * a[0], s * a[1], s * a[2]}; }
double Dot(const Vec3& a, const Vec3& b);
Vec3 Cross(const Vec3& a, const Vec3& b);
double Norm(const Vec3& a);
Vec3 Normalised(const Vec3& a);
// Turns a vector about the z axis by `angle` radians (counter-clockwise).
Vec3 RotateZ(const Vec3& v, double angle);

struct Geodetic {
    double latitudeRad = 0.0;
    double longitudeRad = 0.0;
    double heightKm = 0.0;
};

Vec3 GeodeticToCartesian(const Geodetic& g);
Geodetic CartesianToGeodetic(const Vec3& p);

// The point of the ellipsoid whose normal passes through `position`.
Vec3 GeodeticNadir(const Vec3& position);

// Distance along the unit direction `look` from `origin` to where it first
// meets the ellipsoid; nothing when it misses.
std::optional<double> EllipsoidHit(const Vec3& origin, const Vec3& look);

}  // namespace sorae
