#include "geo/earth_model.h"

#include <cmath>

namespace sorae {

double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double Norm(const Vec3& a) { return std::sqrt(Dot(a, a)); }

Vec3 Normalised(const Vec3& a) {
    const double n = Norm(a);
    return n > 0.0 ? (1.0 / n) * a : a;
}

Vec3 RotateZ(const Vec3& v, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {c * v[0] - s * v[1], s * v[0] + c * v[1], v[2]};
}

Vec3 GeodeticToCartesian(const Geodetic& g) {
    const double sinLat = std::sin(g.latitudeRad), cosLat = std::cos(g.latitudeRad);
    const double n = kWgs84A / std::sqrt(1.0 - kWgs84E2 * sinLat * sinLat);
    return {(n + g.heightKm) * cosLat * std::cos(g.longitudeRad),
            (n + g.heightKm) * cosLat * std::sin(g.longitudeRad),
            (n * (1.0 - kWgs84E2) + g.heightKm) * sinLat};
}

Geodetic CartesianToGeodetic(const Vec3& p) {
    const double rho = std::hypot(p[0], p[1]);
    Geodetic g;
    g.longitudeRad = std::atan2(p[1], p[0]);
    // Fixed-point iteration on the latitude; four rounds reach well below a
    // millimetre for points near the surface and in low orbit.
    double lat = std::atan2(p[2], rho * (1.0 - kWgs84E2));
    double n = kWgs84A;
    for (int i = 0; i < 5; ++i) {
        const double s = std::sin(lat);
        n = kWgs84A / std::sqrt(1.0 - kWgs84E2 * s * s);
        const double h = rho > 1e-9 ? rho / std::cos(lat) - n : std::abs(p[2]) - kWgs84B;
        lat = std::atan2(p[2], rho * (1.0 - kWgs84E2 * n / (n + h)));
    }
    g.latitudeRad = lat;
    const double s = std::sin(lat), c = std::cos(lat);
    n = kWgs84A / std::sqrt(1.0 - kWgs84E2 * s * s);
    g.heightKm = std::abs(c) > 1e-9 ? rho / c - n : std::abs(p[2]) - n * (1.0 - kWgs84E2);
    return g;
}

Vec3 GeodeticNadir(const Vec3& position) {
    Geodetic g = CartesianToGeodetic(position);
    g.heightKm = 0.0;
    return GeodeticToCartesian(g);
}

std::optional<double> EllipsoidHit(const Vec3& origin, const Vec3& look) {
    const double a2 = kWgs84A * kWgs84A, b2 = kWgs84B * kWgs84B;
    const double qa = (look[0] * look[0] + look[1] * look[1]) / a2 + look[2] * look[2] / b2;
    const double qb = 2.0 * ((origin[0] * look[0] + origin[1] * look[1]) / a2 + origin[2] * look[2] / b2);
    const double qc = (origin[0] * origin[0] + origin[1] * origin[1]) / a2 + origin[2] * origin[2] / b2 - 1.0;
    const double disc = qb * qb - 4.0 * qa * qc;
    if (disc < 0.0 || qa <= 0.0) return std::nullopt;
    const double t = (-qb - std::sqrt(disc)) / (2.0 * qa);
    if (t <= 0.0) return std::nullopt;
    return t;
}

}  // namespace sorae
