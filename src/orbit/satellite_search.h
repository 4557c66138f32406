// The two pieces every pass search shares: which element sets of the file
// it uses, and the second-by-second walk of one set through the window.
#pragma once

#include "orbit/day_time.h"
#include "orbit/look_angles.h"
#include "orbit/orbital_elements.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace sorae {

// Selected slots carry the satellite's name, unselected ones an empty name.
using ReceptionList = std::array<std::string, 8>;

// A set a search uses: its place in the file and its epoch as a day number
// with fraction.
struct ChosenSet {
    int index;
    double epochDay;
};

// The near-earth sets of selected satellites, one per satellite (the newest
// when the file holds several), in the order each satellite first appears;
// at most eight. The sets are prepared and their names normalised on the way.
std::vector<ChosenSet> ChooseSelectedSets(ElementSetArray& sets, int count, const ReceptionList& list);

// One evaluated second of the walk.
struct SearchSecond {
    GeodeticPoint point;
    double elevationDeg;
    CalendarDate date;  // UT
    double utHours;
};

// Walks a prepared set from `now` through `days` days, one second at a time
// (both ends included), and hands each evaluated second to `visit`, which
// returns true to stop. With `skipUnreachable`, seconds in which the
// satellite surely stays below `minElevDeg` are left out; the time and the
// UT clock move by the same additions either way.
void WalkSatellite(const OrbitalElements& prepared, const UtcInstant& now, int days, double minElevDeg,
                   const StationSite& station, bool skipUnreachable,
                   const std::function<bool(const SearchSecond&)>& visit);

}  // namespace sorae
