// Per-satellite corrections to the scan geometry: a clock offset and the
// attitude (roll, pitch, yaw) of each satellite the program receives. They
// are all zero unless the user sets them in the settings file's
// [Georeference] section; the geolocation of a pass takes the row of its
// satellite.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorae {

struct GeoreferenceOffsets {
    double timeSeconds = 0.0;  // added to every line time; positive = the satellite's clock is late
    double rollDeg = 0.0;      // about the flight direction, positive = right wing down
    double pitchDeg = 0.0;     // about the cross-track axis, positive = nose up
    double yawDeg = 0.0;       // about the local vertical, positive = clockwise seen from above

    friend bool operator==(const GeoreferenceOffsets&, const GeoreferenceOffsets&) = default;
};

// One row per satellite, in the order of the reception settings
// (NOAA-11, -12, -14, -15, -16, -17, -18, -19).
inline constexpr std::size_t kOffsetTableSize = 8;
using GeoreferenceOffsetTable = std::array<GeoreferenceOffsets, kOffsetTableSize>;

// The satellite of each row, as element sets name it after normalisation.
extern const std::array<const char*, kOffsetTableSize> kOffsetTableSatellites;

// Largest offsets the settings file may set; anything beyond is clamped.
inline constexpr double kMaxTimeOffsetSeconds = 60.0;
inline constexpr double kMaxAttitudeOffsetDeg = 5.0;

// The row of a satellite; "NOAA-19", "NOAA 19", "noaa19" all name the same
// one. Nothing for a satellite the table does not hold.
std::optional<std::size_t> OffsetTableRow(std::string_view satellite);
// The offsets of a satellite, zero for one the table does not hold.
GeoreferenceOffsets OffsetsForSatellite(const GeoreferenceOffsetTable& table,
                                        std::string_view satellite);

// The offsets limited to what a real satellite can be off by: a non-finite
// value becomes 0, a value beyond its limit the limit.
GeoreferenceOffsets ClampedOffsets(const GeoreferenceOffsets& offsets);

// Key prefix of a row in the settings file: "NOAA15" for NOAA-15, followed
// by "Time", "Roll", "Pitch" or "Yaw".
std::string OffsetKeyPrefix(std::size_t row);

}  // namespace sorae
