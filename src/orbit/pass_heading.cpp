#include "orbit/pass_heading.h"

namespace sorae {

std::optional<PassHeading> HeadingOverTime(const Sgp4Propagator& orbit, double firstUnixSeconds,
                                           double lastUnixSeconds) {
    const auto at = [&](double unixSeconds) { return orbit.at((unixSeconds - orbit.epochUnixSeconds()) / 60.0); };
    const auto first = at(firstUnixSeconds);
    const auto last = at(lastUnixSeconds);
    if (!first || !last) return std::nullopt;
    // The polar part of the velocity has the sign of the latitude's change
    // (the orbit is nearly round); over a pole it changes sign.
    const double a = first->velocityKmPerS[2], b = last->velocityKmPerS[2];
    if (a > 0.0 && b > 0.0) return PassHeading::Northbound;
    if (a < 0.0 && b < 0.0) return PassHeading::Southbound;
    return std::nullopt;
}

}  // namespace sorae
