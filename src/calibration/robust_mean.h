// The mean of a set of readings taken from many telemetry frames, with the
// readings that lie far from the others (a frame hit by noise, a drop-out
// or a sensor switch) left out: farther from the median than several
// median absolute deviations, and never closer than a floor, so that
// readings that agree to the last count are not thinned out by rounding.
#pragma once

#include <vector>

namespace sorae {

struct RobustMean {
    double mean = 0.0;   // NaN without readings
    int kept = 0;
    int rejected = 0;
};

RobustMean RobustMeanOf(std::vector<double> values, double floor);

}  // namespace sorae
