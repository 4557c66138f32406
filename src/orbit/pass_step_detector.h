// Finds one satellite's passes second by second: acquisition when the
// elevation first reaches the detection elevation, the culmination at the
// last rising second, and the loss. A pass is written into the table when
// the satellite starts to rise again at the next pass.
#pragma once

#include "orbit/day_time.h"
#include "orbit/look_angles.h"
#include "orbit/pass_table.h"

#include <string>

namespace sorae {

class PassStepDetector {
public:
    PassStepDetector() : PassStepDetector(1.0, 3.0) {}
    PassStepDetector(double minElevationDeg, double maxElevationThresholdDeg)
        : minElevationDeg_(minElevationDeg), maxElevationThresholdDeg_(maxElevationThresholdDeg)
    {
    }

    void setThresholds(double minElevationDeg, double maxElevationThresholdDeg)
    {
        minElevationDeg_ = minElevationDeg;
        maxElevationThresholdDeg_ = maxElevationThresholdDeg;
    }

    // Once per computation.
    void resetForComputation() { descendingSeen_ = false; }
    // Before every element set.
    void resetForSatellite();

    // One simulated second of satellite `slotPair` (its passes go to slots
    // 2s and 2s+1). Below the detection elevation nothing changes. Returns
    // true once the satellite's second pass has been recorded.
    bool step(PassTable& table, int slotPair, const std::string& satellite, const GeodeticPoint& point,
              double elevationDeg, int year, int month, int day, double utHours)
    {
        return stepInto(&table[static_cast<std::size_t>(2 * slotPair)], 2, satellite, point, elevationDeg, year,
                        month, day, utHours);
    }

    // The same second for passes kept elsewhere: the pass being built is
    // slots[passCount()], and true comes once `capacity` passes have been
    // recorded. Up to passCount() + 1 slots may be written in one step.
    bool stepInto(PassInfo* slots, int capacity, const std::string& satellite, const GeodeticPoint& point,
                  double elevationDeg, int year, int month, int day, double utHours);

    int passCount() const { return passCount_; }
    double minElevationDeg() const { return minElevationDeg_; }

private:
    double minElevationDeg_;
    double maxElevationThresholdDeg_;

    // Per satellite.
    double previousElevationDeg_ = 0.0;
    double maximumElevationDeg_ = 0.0;
    int passCount_ = 0;
    bool rising_ = false;
    bool passBegun_ = false;
    // Per computation.
    bool descendingSeen_ = false;
    // The heading at the culmination needs the position of the second
    // before it. When a pass is already past its culmination at its first
    // visible second, that position belongs to another pass or satellite;
    // the heading is then taken from the culmination to the next second.
    bool previousFresh_ = false;
    bool headingPending_ = false;
    // Carried over between satellites and computations.
    double previousLatRad_ = 0.0;
    double previousLonRad_ = 0.0;
    double headingDeg_ = 0.0;
    DayTime acquisition_;
    DayTime loss_;
};

}  // namespace sorae
