// A provable bound on how soon a satellite can climb to a given elevation
// above the station. The pass search uses it to leave out seconds in which
// the satellite is certainly below the detection elevation.
//
// The elevation seen from the station depends only on the satellite's
// distance from the earth's centre and on the central angle psi between the
// sub-satellite point and the station; it reaches the detection elevation
// only when psi <= psiMax(Rs), which grows with Rs. Bounding Rs from above
// and the angular speed of the sub-satellite point over one day from the
// elements gives the number of seconds that surely stay below.
#pragma once

#include "orbit/look_angles.h"
#include "orbit/sgp_propagator.h"

namespace sorae {

class ReachBound {
public:
    // `minutesFromEpoch` is where the search window starts; it lasts
    // `windowMinutes` (a day unless told).
    ReachBound(const SgpEpochTerms& terms, double minutesFromEpoch, double minElevationDeg,
               const StationSite& station, double windowMinutes = 1440.0);

    // Seconds after this one that are certainly below the detection elevation
    // (0 when nothing can be said).
    long secondsSurelyBelow(const GeodeticPoint& point) const;

    bool usable() const { return usable_; }
    double maxCentralAngleRad() const { return psiMaxRad_; }
    double angularRateRadPerSecond() const { return rateRadPerSecond_; }

private:
    bool usable_ = false;
    double psiMaxRad_ = 0.0;
    double rateRadPerSecond_ = 1.0;
    double stationUnit_[3] = {0.0, 0.0, 0.0};
};

}  // namespace sorae
