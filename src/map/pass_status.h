// The current-pass line of the status bar: the satellite's azimuth and
// elevation as seen from the station, and the one-line pass summary.
#pragma once

#include <string>

#include "orbit/pass_table.h"

namespace sorae {

struct LookAngles {
    double azimuthDeg = 0.0;    // from north through east, 0 <= az < 360
    double elevationDeg = 0.0;  // 0 when below the horizon
};

// Sub-satellite latitude/longitude in radians and height in km; the station
// in degrees. The Earth is taken as a sphere of radius 6367.4445 km and the
// station 0.36 km above it.
LookAngles ComputeLookAngles(double satLatitudeRad, double satLongitudeRad, double heightKm,
                             double stationLatitudeDeg, double stationLongitudeDeg);

// 現在通過中: NAME 137.1000MHz 12:00:05>12:15:40 S>N AZA:200.5 ELV:31.2/62.0
// built from pass table slot 0 and the satellite's present look angles;
// only for a pass under way (PassInProgress).
std::string PassStatusLine(const PassInfo& pass, const LookAngles& angles);

}  // namespace sorae
