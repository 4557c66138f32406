#include "map/pass_status.h"

#include "orbit/day_time.h"

#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kEarthRadiusKm = 6367.4445;
constexpr double kStationHeightKm = 0.36;
}  // namespace

LookAngles ComputeLookAngles(double satLatitudeRad, double satLongitudeRad, double heightKm,
                             double stationLatitudeDeg, double stationLongitudeDeg) {
    const double rs = heightKm + kEarthRadiusKm;
    const double sx = std::cos(satLatitudeRad) * std::cos(satLongitudeRad) * rs;
    const double sy = std::cos(satLatitudeRad) * std::sin(satLongitudeRad) * rs;
    const double sz = std::sin(satLatitudeRad) * rs;

    const double phiO = stationLatitudeDeg * kPi * (1.0 / 180.0);
    const double lamO = stationLongitudeDeg * kPi * (1.0 / 180.0);
    const double ro = kEarthRadiusKm + kStationHeightKm;
    const double ox = std::cos(phiO) * std::cos(lamO) * ro;
    const double oy = std::cos(phiO) * std::sin(lamO) * ro;
    const double oz = std::sin(phiO) * ro;

    const double dx = sx - ox;
    const double dy = sy - oy;
    const double dz = sz - oz;
    const double range = std::pow(dx * dx + dy * dy + dz * dz, 0.5);

    const double a = std::cos(lamO) * dx + std::sin(lamO) * dy;
    const double east = -std::sin(lamO) * dx + std::cos(lamO) * dy;
    const double south = std::sin(phiO) * a - std::cos(phiO) * dz;
    const double up = std::cos(phiO) * a + std::sin(phiO) * dz;

    // atan of the quotient, then quadrant by the sign of the south component;
    // a zero south component gives +-infinity and so +-90 degrees.
    double az = std::atan(-east / south);
    if (south < 0.0) az += kPi;
    if (az < 0.0) az += 2.0 * kPi;
    az += kPi;
    if (az >= 2.0 * kPi) az -= 2.0 * kPi;
    if (!(az == az)) az = 0.0;  // station and satellite in the same place

    // The arcsine of up/range; equal to the arctangent form, and exact at the
    // zenith where that form divides by zero.
    double u = range > 0.0 ? up / range : 1.0;
    if (u > 1.0) u = 1.0;
    if (u < -1.0) u = -1.0;
    double el = std::asin(u);

    LookAngles out;
    out.azimuthDeg = az * kRadToDeg;
    out.elevationDeg = el * kRadToDeg;
    if (out.elevationDeg < 0.0) out.elevationDeg = 0.0;
    return out;
}

std::string PassStatusLine(const PassInfo& pass, const LookAngles& angles) {
    // Fixed-point texts that do not depend on the process locale.
    std::string line = "現在通過中: ";
    line += pass.satellite;
    line += " ";
    line += FormatFixed(pass.frequencyMHz, 4);
    line += "MHz ";
    line += FormatTimeOfDay(pass.start);
    line += ">";
    line += FormatTimeOfDay(pass.end);
    line += " ";
    line += DirectionText(pass.direction);
    line += " AZA:";
    line += FormatFixed(angles.azimuthDeg, 1);
    line += " ELV:";
    line += FormatFixed(angles.elevationDeg, 1);
    line += "/";
    line += FormatFixed(pass.maximumElevationDeg, 1);
    return line;
}

}  // namespace sorae
