// The SGP orbit model for near-earth satellites: position and velocity in
// the element set's true-equator, mean-equinox frame, in earth radii and
// earth radii per minute. Kepler's equation is solved with corrections
// clamped to 0.95 and a 1e-9 stop.
#pragma once

#include "orbit/orbital_elements.h"

namespace sorae {

struct Vector3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct OrbitState {
    Vector3 positionEarthRadii;
    Vector3 velocityEarthRadiiPerMinute;
};

inline constexpr double kKmPerEarthRadius = 6378.135;
inline constexpr double kTwoPi = 6.283185307179586;

// Everything the model derives from the epoch elements alone. Computing it
// once per element set and then calling Propagate gives the same numbers as
// PropagateOrbit, which recomputes it on every call.
struct SgpEpochTerms {
    double n0, e0, ndot2, nddot6, m0, i0, node0, perigee0;
    double cosI, sinI, theta2;
    double a0, q0, l0;
    double nodeRate, perigeeRate;

    static SgpEpochTerms from(const OrbitalElements& prepared);
    OrbitState propagate(double minutesSinceEpoch) const;
};

OrbitState PropagateOrbit(const OrbitalElements& prepared, double minutesSinceEpoch);

// Period in minutes from the secular-J2 corrected mean motion.
double OrbitalPeriod(const OrbitalElements& prepared);

// Into [0, 2pi); exactly 2pi stays as it is.
double ReduceAngle(double radians);

}  // namespace sorae
