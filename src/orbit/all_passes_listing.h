// The list of every pass as text for the command line.
#pragma once

#include "orbit/all_passes.h"

#include <string>

namespace sorae {

// "satellite<TAB>MHz<TAB>AOS<TAB>AOS az<TAB>max time<TAB>max az<TAB>LOS<TAB>LOS az
//  <TAB>max elev<TAB>S>N|N>S<TAB>verdict", station time, angles in degrees.
std::string FormatListedPassLine(const ListedPass& pass, double maxElevDeg);

// One line per pass in start order.
std::string FormatAllPassesListing(const PassList& list, double maxElevDeg);

}  // namespace sorae
