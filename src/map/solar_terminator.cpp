#include "map/solar_terminator.h"

#include <cmath>

namespace sorae {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDeg = kPi / 180.0;

double wrap180(double degrees) {
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0.0) d += 360.0;
    return d - 180.0;
}

}  // namespace

SubsolarPoint SubsolarPointAt(const UtcInstant& when) {
    // Days from J2000.0 (2000-01-01 12:00 UT); the day count's epoch is
    // 1899-12-30, so J2000.0 is day 36526.5.
    const DayTime t = EncodeDayTime(when.year, when.month, when.day, when.hour, when.minute, when.second);
    const double n = t.days - 36526.5;
    // The Sun's apparent ecliptic longitude and the obliquity: the low
    // precision formulas of the Astronomical Almanac (section C, "Sun").
    const double meanLongitude = 280.460 + 0.9856474 * n;
    const double meanAnomaly = (357.528 + 0.9856003 * n) * kDeg;
    const double lambda = (meanLongitude + 1.915 * std::sin(meanAnomaly) + 0.020 * std::sin(2.0 * meanAnomaly)) * kDeg;
    const double epsilon = (23.439 - 0.0000004 * n) * kDeg;
    const double declination = std::asin(std::sin(epsilon) * std::sin(lambda));
    const double rightAscension = std::atan2(std::cos(epsilon) * std::sin(lambda), std::cos(lambda));
    // Greenwich mean sidereal time in degrees (IAU 1982, to first order in n).
    const double gmst = 280.46061837 + 360.98564736629 * n;
    SubsolarPoint sun;
    sun.latitudeDeg = declination / kDeg;
    sun.longitudeDeg = wrap180(rightAscension / kDeg - gmst);
    return sun;
}

double TerminatorLatitudeDeg(const SubsolarPoint& sun, double longitudeDeg) {
    // On the horizon: sin(lat) sin(d) + cos(lat) cos(d) cos(h) = 0.
    const double h = (longitudeDeg - sun.longitudeDeg) * kDeg;
    const double d = sun.latitudeDeg * kDeg;
    if (std::fabs(std::tan(d)) < 1e-12) return std::cos(h) > 0.0 ? -90.0 : 90.0;
    return std::atan(-std::cos(h) / std::tan(d)) / kDeg;
}

bool IsNight(const SubsolarPoint& sun, double latitudeDeg, double longitudeDeg) {
    const double lat = latitudeDeg * kDeg;
    const double d = sun.latitudeDeg * kDeg;
    const double h = (longitudeDeg - sun.longitudeDeg) * kDeg;
    return std::sin(lat) * std::sin(d) + std::cos(lat) * std::cos(d) * std::cos(h) < 0.0;
}

}  // namespace sorae
