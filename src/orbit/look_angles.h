// Observer geometry: sidereal time, the Earth-fixed frame, the geodetic
// sub-satellite point, the elevation seen from the station (spherical
// earth) and the ground-track heading.
#pragma once

#include "orbit/sgp_propagator.h"

#include <array>

namespace sorae {

struct GeodeticPoint {
    double latitudeRad = 0.0;
    double longitudeRad = 0.0;  // east positive, (-pi, pi]
    double heightKm = 0.0;
};

using Matrix3 = std::array<std::array<double, 3>, 3>;

// Angle in [0, 2pi) for a date and its UT hours.
double GreenwichSiderealTime(int year, int month, int day, double utHours);
double GreenwichSiderealTimeOfDayNumber(long dayNumber, double utHours);

Matrix3 EarthRotationMatrix(double angleRad);
Vector3 Multiply(const Matrix3& m, const Vector3& v);

// Earth-fixed position in km to the geodetic point. A point in the equatorial
// plane has height p - a, one on the axis |z| - b.
GeodeticPoint EciToGeodetic(const Vector3& earthFixedKm);

// The station as the elevation model sees it; built once per search.
struct StationSite {
    double cosLat, sinLat, cosLon, sinLon;
    Vector3 positionKm;
    static StationSite at(double latitudeDeg, double longitudeDeg);
};

inline constexpr double kElevationSphereKm = 6367.4445;
inline constexpr double kStationHeightKm = 0.36;

double StationElevation(const GeodeticPoint& satellite, double stationLatDeg, double stationLonDeg);
double StationElevation(const GeodeticPoint& satellite, const StationSite& station);

// Degrees, 0 when either coordinate did not change.
double GroundTrackHeading(const GeodeticPoint& current, double previousLatRad, double previousLonRad);

}  // namespace sorae
