// The station position presets of the orbit settings dialog: prefectural
// capitals of Japan, row 0 being the user's own position.
#pragma once

#include <array>

namespace sorae {

struct StationPreset {
    const char* name;  // UTF-8; the blank is the full-width space U+3000
    double latitudeDeg;
    double longitudeDeg;
};

constexpr int kStationPresetCount = 48;

// The fixed table; row 0 holds only placeholder coordinates.
const std::array<StationPreset, kStationPresetCount>& stationPresetTable();

}  // namespace sorae
