// Where the Sun stands overhead at a given moment, and the day/night line
// that follows from it, for shading the night side of the map. Low
// precision formulas (about 0.01 degree), plenty for a map of pixels.
#pragma once

#include "orbit/day_time.h"

namespace sorae {

struct SubsolarPoint {
    double latitudeDeg = 0.0;   // the Sun's declination
    double longitudeDeg = 0.0;  // -180 .. 180
};

SubsolarPoint SubsolarPointAt(const UtcInstant& when);

// The terminator's latitude at a longitude (the Sun on the horizon). With
// the Sun exactly over the equator the line runs along the meridians 90
// degrees from the Sun and has no single latitude: then +-90 is given
// toward the night side.
double TerminatorLatitudeDeg(const SubsolarPoint& sun, double longitudeDeg);

// Whether the Sun is below the horizon at a point.
bool IsNight(const SubsolarPoint& sun, double latitudeDeg, double longitudeDeg);

}  // namespace sorae
