// Picks the element set that places a recorded pass best: of every set of
// a file (archives hold many sets of one satellite), the one of the named
// satellite whose epoch lies nearest the pass. Too far from the pass, a set
// no longer places a picture to the kilometre: beyond 5 days the choice
// warns, beyond 60 it is refused.
#pragma once

#include "orbit/orbital_elements.h"
#include "orbit/sgp4_propagator.h"

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace sorae {

inline constexpr double kElementWarnDays = 5.0;
inline constexpr double kElementRefuseDays = 60.0;

enum class ElementChoiceStatus {
    Chosen,      // within 5 days of the pass
    Distant,     // 5 to 60 days: used, with a warning
    TooFar,      // over 60 days: refused
    NoSet,       // no usable set of the satellite in the file
    Unreadable,  // the file cannot be read
};

struct ElementChoice {
    ElementChoiceStatus status = ElementChoiceStatus::NoSet;
    std::optional<OrbitalElements> elements;   // the nearest set, as read
    std::optional<Sgp4Propagator> propagator;  // set when the choice may be used
    double epochDistanceDays = std::numeric_limits<double>::quiet_NaN();  // pass - epoch
    int setsInFile = 0;        // usable sets of any satellite
    int setsOfSatellite = 0;   // of them, the named satellite's that SGP4 takes
    std::string message;       // what was chosen, or why nothing

    bool usable() const { return propagator.has_value(); }
};

// The nearest set of `satellite` (matched by NormalisedSatelliteName, so
// "NOAA 19" and "NOAA-19" are one) to `passUnixSeconds` (UTC).
ElementChoice ChooseElementSet(const std::vector<OrbitalElements>& sets, const std::string& satellite,
                               double passUnixSeconds);

// The same over every set of an element file.
ElementChoice ChooseElementSetFromFile(const std::string& path, const std::string& satellite,
                                       double passUnixSeconds);

}  // namespace sorae
