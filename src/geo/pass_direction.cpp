#include "geo/pass_direction.h"

#include <algorithm>
#include <cmath>

namespace sorae {

OrbitDirection DirectionOfPass(const SwathInputs& inputs) {
    double first = NAN, last = NAN;
    for (double t : inputs.rowUnixSeconds) {
        if (!std::isfinite(t)) continue;
        first = std::isfinite(first) ? std::min(first, t) : t;
        last = std::isfinite(last) ? std::max(last, t) : t;
    }
    if (!std::isfinite(first) || !(last > first) || !inputs.orbit) return OrbitDirection::Unclear;
    // The inertial velocity's polar part has the sign of the latitude's
    // change (the orbit is nearly round); over a pole it changes sign.
    const auto atStart = inputs.orbit(first);
    const auto atEnd = inputs.orbit(last);
    if (!atStart || !atEnd) return OrbitDirection::Unclear;
    const double a = atStart->velocityKmPerS[2], b = atEnd->velocityKmPerS[2];
    if (a > 0.0 && b > 0.0) return OrbitDirection::Northbound;
    if (a < 0.0 && b < 0.0) return OrbitDirection::Southbound;
    return OrbitDirection::Unclear;
}

std::optional<std::string> PassDirectionNote(const SwathInputs& inputs) {
    const OrbitDirection flown = DirectionOfPass(inputs);
    if (flown == OrbitDirection::Northbound && !inputs.turned)
        return std::string("note: the satellite flew south to north (S>N) over this recording, but the pictures "
                           "were saved as a north-to-south pass, so north is at their bottom; give the direction "
                           "S>N (or auto) to have them turned north-up");
    if (flown == OrbitDirection::Southbound && inputs.turned)
        return std::string("note: the satellite flew north to south (N>S) over this recording, but the pictures "
                           "were saved turned as a south-to-north pass, so north is at their bottom; give the "
                           "direction N>S (or auto) to keep them as received");
    return std::nullopt;
}

}  // namespace sorae
