#include "orbit/element_choice.h"

#include "orbit/apt_satellites.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace sorae {

namespace {

std::string days(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

ElementChoice ChooseElementSet(const std::vector<OrbitalElements>& sets, const std::string& satellite,
                               double passUnixSeconds)
{
    ElementChoice choice;
    choice.setsInFile = static_cast<int>(sets.size());
    const std::string wanted = NormalisedSatelliteName(satellite);
    // A set whose name is spelt otherwise ("NOAA19") is still the
    // satellite's when its catalog number is.
    const std::optional<int> catalog = CatalogNumberOfAptSatellite(satellite);
    std::string lastRefusal;
    double nearest = std::numeric_limits<double>::infinity();
    for (const OrbitalElements& set : sets) {
        if (NormalisedSatelliteName(set.name) != wanted && !(catalog && set.catalogNumber == *catalog))
            continue;
        std::string error;
        std::optional<Sgp4Propagator> propagator = Sgp4Propagator::fromElements(set, &error);
        if (!propagator) {
            lastRefusal = error;
            continue;
        }
        ++choice.setsOfSatellite;
        const double distance = (passUnixSeconds - propagator->epochUnixSeconds()) / 86400.0;
        if (std::fabs(distance) < nearest) {
            nearest = std::fabs(distance);
            choice.elements = set;
            choice.propagator = std::move(propagator);
            choice.epochDistanceDays = distance;
        }
    }

    if (!choice.propagator) {
        choice.status = ElementChoiceStatus::NoSet;
        choice.message = "the element file holds no usable set of " + wanted + " (" +
                         std::to_string(sets.size()) + " sets read" +
                         (lastRefusal.empty() ? "" : "; its set was refused: " + lastRefusal) + ")";
        return choice;
    }
    const std::string distance = days(nearest) + " days";
    if (!std::isfinite(passUnixSeconds) || nearest > kElementRefuseDays) {
        choice.status = ElementChoiceStatus::TooFar;
        choice.propagator.reset();
        choice.message = "the nearest element set of " + wanted + " is " + distance +
                         " from the pass (over " + days(kElementRefuseDays) +
                         "): refused, give a file with sets of that time (--elements)";
    } else if (nearest > kElementWarnDays) {
        choice.status = ElementChoiceStatus::Distant;
        choice.message = "warning: the nearest element set of " + wanted + " is " + distance +
                         " from the pass (over " + days(kElementWarnDays) +
                         "); places may be off by kilometres";
    } else {
        choice.status = ElementChoiceStatus::Chosen;
        choice.message = "element set of " + wanted + ", " + distance + " from the pass (" +
                         std::to_string(choice.setsOfSatellite) + " of " + std::to_string(sets.size()) +
                         " sets are of it)";
    }
    return choice;
}

ElementChoice ChooseElementSetFromFile(const std::string& path, const std::string& satellite,
                                       double passUnixSeconds)
{
    // A device or a pipe could be read from for ever; element files are files.
    struct stat info {};
    const bool found = ::stat(path.c_str(), &info) == 0;
    if (!found || !S_ISREG(info.st_mode)) {
        ElementChoice choice;
        choice.status = ElementChoiceStatus::Unreadable;
        choice.message = "cannot read the element file " + path +
                         (found ? " (not a regular file)" : std::string(" (") + std::strerror(errno) + ")");
        return choice;
    }
    std::vector<OrbitalElements> sets;
    int refused = 0;
    if (ReadAllElementSets(sets, path, &refused) != 0 && sets.empty()) {
        ElementChoice choice;
        choice.status = ElementChoiceStatus::Unreadable;
        choice.message = "cannot read the element file " + path;
        return choice;
    }
    ElementChoice choice = ChooseElementSet(sets, satellite, passUnixSeconds);
    if (refused > 0)
        choice.message += "; " + std::to_string(refused) + " damaged sets were passed over";
    return choice;
}

}  // namespace sorae
