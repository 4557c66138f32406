// The NOAA satellites as people type them: "NOAA-19", "NOAA 19", "noaa19",
// "noaa_19", "N19". The element reader's and the program's own name is
// "NOAA-19"; a command line that names a satellite another way means it all
// the same.
#pragma once

#include <string>
#include <string_view>

namespace sorae {

// "NOAA-<n>" for any spelling above (case and surrounding blanks aside; the
// short "N<n>" for the satellites numbered 10 and up); anything else as given.
std::string SatelliteAsNamed(std::string_view typed);

}  // namespace sorae
