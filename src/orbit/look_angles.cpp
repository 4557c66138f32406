#include "orbit/look_angles.h"

#include "orbit/day_time.h"

#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kEquatorialRadiusKm = 6378.135;
constexpr double kEccentricitySquared = 0.00669438;
constexpr double kLatitudeTolerance = 1e-9;
constexpr int kLatitudeRounds = 100;  // safety bound; converges in a handful
constexpr long kDayNumberJ2000 = 2451545;
constexpr double kSiderealRate = 1.00273791;
constexpr double kRadiansPerHour = 0.2617993877991494;
constexpr double kDegreesPerRadian = 57.29577951308232;
}  // namespace

double GreenwichSiderealTimeOfDayNumber(long dayNumber, double utHours)
{
    const double t = (static_cast<double>(dayNumber - kDayNumberJ2000) - 0.5) / 36525.0;
    const double theta =
        1.7533685592332655 +
        t * (628.3319706888408 + t * (6.770713944903336e-6 + t * (-4.5087672343186846e-10))) +
        utHours * kSiderealRate * kRadiansPerHour;
    return ReduceAngle(theta);
}

double GreenwichSiderealTime(int year, int month, int day, double utHours)
{
    return GreenwichSiderealTimeOfDayNumber(JulianDayNumber(year, month, day), utHours);
}

Matrix3 EarthRotationMatrix(double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    return {{{c, s, 0.0}, {-s, c, 0.0}, {0.0, 0.0, 1.0}}};
}

Vector3 Multiply(const Matrix3& m, const Vector3& v)
{
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

GeodeticPoint EciToGeodetic(const Vector3& r)
{
    constexpr double a = kEquatorialRadiusKm;
    constexpr double e2 = kEccentricitySquared;
    GeodeticPoint g;
    const double p = std::sqrt(r.x * r.x + r.y * r.y);
    g.longitudeRad = std::atan2(r.y, r.x);
    if (p == 0.0) {
        g.latitudeRad = r.z >= 0.0 ? kPi / 2.0 : -kPi / 2.0;
        g.heightKm = std::fabs(r.z) - a * std::sqrt(1.0 - e2);
        return g;
    }
    double k = 0.0;
    double previous = 1.0;
    for (int round = 0; round < kLatitudeRounds && std::fabs(k - previous) > kLatitudeTolerance; ++round) {
        previous = k;
        k = a * e2 * previous / (p * std::sqrt(1.0 + (1.0 - e2) * previous * previous)) + r.z / p;
    }
    g.latitudeRad = std::atan(k);
    if (k == 0.0)
        g.heightKm = p - a;
    else
        g.heightKm = std::sqrt(1.0 + k * k) * (r.z / k - a * (1.0 - e2) / std::sqrt(1.0 + (1.0 - e2) * k * k));
    return g;
}

StationSite StationSite::at(double latitudeDeg, double longitudeDeg)
{
    StationSite s{};
    const double lat = latitudeDeg * kPi / 180.0;
    const double lon = longitudeDeg * kPi / 180.0;
    s.cosLat = std::cos(lat);
    s.sinLat = std::sin(lat);
    s.cosLon = std::cos(lon);
    s.sinLon = std::sin(lon);
    const double ro = kElevationSphereKm + kStationHeightKm;
    s.positionKm = {ro * s.cosLat * s.cosLon, ro * s.cosLat * s.sinLon, ro * s.sinLat};
    return s;
}

double StationElevation(const GeodeticPoint& sat, const StationSite& o)
{
    const double rs = kElevationSphereKm + sat.heightKm;
    const double cosPhi = std::cos(sat.latitudeRad);
    const Vector3 s{rs * cosPhi * std::cos(sat.longitudeRad), rs * cosPhi * std::sin(sat.longitudeRad),
                    rs * std::sin(sat.latitudeRad)};
    const double dx = s.x - o.positionKm.x, dy = s.y - o.positionKm.y, dz = s.z - o.positionKm.z;
    const double range = std::pow(dx * dx + dy * dy + dz * dz, 0.5);
    const double up = o.cosLat * (o.cosLon * dx + o.sinLon * dy) + o.sinLat * dz;
    const double x = up / range;
    return std::atan(x / std::sqrt(1.0 - x * x)) * kDegreesPerRadian;
}

double StationElevation(const GeodeticPoint& satellite, double stationLatDeg, double stationLonDeg)
{
    return StationElevation(satellite, StationSite::at(stationLatDeg, stationLonDeg));
}

double GroundTrackHeading(const GeodeticPoint& current, double previousLatRad, double previousLonRad)
{
    const double dLat = current.latitudeRad - previousLatRad;
    const double dLon = current.longitudeRad - previousLonRad;
    if (dLat == 0.0 || dLon == 0.0)
        return 0.0;
    double heading = std::atan2(dLon, dLat) * 180.0 / kPi;
    if (heading < 0.0)
        heading += 360.0;
    if (heading > 360.0)
        heading -= 360.0;
    return heading;
}

}  // namespace sorae
