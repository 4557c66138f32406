// The NOAA satellites that sent APT: their NORAD catalog numbers, which name
// a satellite in element files without name lines, and the years they sent,
// which tell apart the satellites that shared a frequency.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sorae {

// "NOAA-19" for 33591, as the element reader names satellites; nothing for
// a number that is not one of them.
std::optional<std::string> AptSatelliteOfCatalogNumber(int catalogNumber);

// 33591 for "NOAA-19" (any spelling SatelliteAsNamed takes); nothing for a
// satellite not in the table.
std::optional<int> CatalogNumberOfAptSatellite(const std::string& satellite);

// The satellites whose APT frequency lies within 10 kHz of `megahertz`.
// With `unixSeconds`, only those launched by then and not yet retired.
std::vector<std::string> AptSatellitesOnFrequency(double megahertz,
                                                  std::optional<double> unixSeconds = std::nullopt);

}  // namespace sorae
