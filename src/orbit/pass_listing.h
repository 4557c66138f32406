// The pass table as text for the command line, and the parsers of the
// command's option values. All times in the listing are station time.
#pragma once

#include "orbit/pass_computation.h"

#include <optional>
#include <string>

namespace sorae {

// "slot<TAB>satellite<TAB>start<TAB>end<TAB>max elev<TAB>S>N|N>S<TAB>MHz<TAB>time of max"
std::string FormatPassLine(int slot, const PassInfo& pass);

// One line per slot 0 .. 2n-1 that holds a pass, then the next-pass text.
std::string FormatPassListing(const PassComputation& result);

// "YYYY/MM/DD hh:nn:ss" (UT); nullopt when malformed or out of range.
std::optional<UtcInstant> ParseUtcInstant(const std::string& text);

struct StationPosition {
    double latitudeDeg;
    double longitudeDeg;
};
// "LAT,LON" in degrees, north and east positive.
std::optional<StationPosition> ParseStationPosition(const std::string& text);

// "NOAA-15,NOAA-18" to the eight reception check marks; nullopt when a name
// is not one of the selectable satellites.
std::optional<std::array<bool, 8>> ParseSatelliteSelection(const std::string& text);

}  // namespace sorae
