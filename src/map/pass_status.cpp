#include "map/pass_status.h"

#include <cmath>
#include <cstdio>

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

std::string FormatClockTime(double dayCountDateTime) {
    double frac = dayCountDateTime - std::floor(dayCountDateTime);
    long long ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000LL) ms -= 86400000LL;
    if (ms < 0) ms = 0;
    const long long secs = ms / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(secs / 3600),
                  static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
    return text;
}

std::string PassStatusLine(const PassSummary& pass, const LookAngles& angles) {
    char frequency[64];
    std::snprintf(frequency, sizeof frequency, " %0.4fMHz ", pass.frequencyMHz);
    char position[96];
    std::snprintf(position, sizeof position, "AZA:%0.1lf ELV:%0.1lf/%0.1lf", angles.azimuthDeg,
                  angles.elevationDeg, pass.maxElevationDeg);
    std::string line = "現在通過中: ";
    line += pass.satelliteName;
    line += frequency;
    line += FormatClockTime(pass.startTime);
    line += ">";
    line += FormatClockTime(pass.endTime);
    line += " ";
    line += pass.southToNorth ? "S>N" : "N>S";
    line += " ";
    line += position;
    return line;
}

}  // namespace sorae
