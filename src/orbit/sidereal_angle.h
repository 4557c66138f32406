// The Greenwich mean sidereal angle that turns the propagator's
// true-equator, mean-equinox frame into an earth-fixed one.
#pragma once

namespace sorae {

// Radians in [0, 2pi) at the given UT1 instant (seconds since 1970-01-01),
// by the IAU 1982 model. UTC may stand in for UT1: they differ by under a
// second, which turns the earth by under 0.5 km at the equator.
double GreenwichMeanSiderealAngle(double unixSecondsUt1);

}  // namespace sorae
