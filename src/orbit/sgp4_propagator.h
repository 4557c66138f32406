// The SGP4 orbit model for near-earth satellites (periods under 225
// minutes), with the WGS-72 constants of the 2006 revision of the model.
// It gives position and velocity in the true-equator, mean-equinox (TEME)
// frame, in km and km/s, accurate enough to place an APT picture on the
// ground. Deep-space sets are refused: the NOAA orbiters never need them.
// Pass prediction keeps using the simpler SGP model.
#pragma once

#include "orbit/orbital_elements.h"
#include "orbit/sidereal_angle.h"

#include <array>
#include <optional>
#include <string>

namespace sorae {

struct TemeState {
    std::array<double, 3> positionKm{};
    std::array<double, 3> velocityKmPerS{};
};

class Sgp4Propagator {
  public:
    // From an element set as read from the file (degrees, rev/day; not
    // PrepareElements'd). Nothing, with the reason in *error, for sets the
    // model cannot take: non-finite or out-of-range fields, deep-space
    // periods, orbits that are already inside the earth.
    static std::optional<Sgp4Propagator> fromElements(const OrbitalElements& asRead,
                                                      std::string* error);

    // Nothing once the orbit has decayed or the elements have run away
    // (eccentricity out of range) at that time.
    std::optional<TemeState> at(double minutesSinceEpoch) const;

    // The element set's epoch as UTC seconds since 1970-01-01.
    double epochUnixSeconds() const { return epochUnixSeconds_; }

  private:
    Sgp4Propagator() = default;

    double epochUnixSeconds_ = 0.0;
    // Epoch elements (radians, radians per minute, earth radii).
    double ecco_ = 0, argpo_ = 0, inclo_ = 0, mo_ = 0, nodeo_ = 0, bstar_ = 0;
    double meanMotion_ = 0;  // un-Kozai'd, rad/min
    // Terms derived once from them.
    bool simpleDrag_ = false;
    double aycof_ = 0, con41_ = 0, cc1_ = 0, cc4_ = 0, cc5_ = 0, d2_ = 0, d3_ = 0, d4_ = 0;
    double delmo_ = 0, eta_ = 0, argpdot_ = 0, omgcof_ = 0, sinmao_ = 0, t2cof_ = 0;
    double t3cof_ = 0, t4cof_ = 0, t5cof_ = 0, x1mth2_ = 0, x7thm1_ = 0, mdot_ = 0;
    double nodedot_ = 0, xlcof_ = 0, xmcof_ = 0, nodecf_ = 0;
};

// The epoch field YYDDD.DDDDDDDD as UTC seconds since 1970-01-01 (two-digit
// years from 57 in the 1900s); nothing when it is not a finite, possible epoch.
std::optional<double> ElementEpochUnixSeconds(double epoch);

}  // namespace sorae
