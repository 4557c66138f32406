// Which way a satellite crossed the latitudes over a stretch of time: the
// direction of a recorded pass, for pictures turned north-up by themselves.
#pragma once

#include <optional>

#include "orbit/sgp4_propagator.h"

namespace sorae {

enum class PassHeading { Northbound, Southbound };

// The heading over [firstUnixSeconds, lastUnixSeconds] (UTC); nothing when
// it turns within it (a pass over a pole) or the orbit cannot be had then.
std::optional<PassHeading> HeadingOverTime(const Sgp4Propagator& orbit, double firstUnixSeconds,
                                           double lastUnixSeconds);

}  // namespace sorae
