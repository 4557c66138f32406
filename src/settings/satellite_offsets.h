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

struct SatelliteOffsets {
    double timeSeconds = 0.0;  // seconds by which the line times are late
    double rollDeg = 0.0;      // positive turns the scan towards the satellite's left
    double pitchDeg = 0.0;     // positive tilts the scan forward along the track
    double yawDeg = 0.0;       // turns the scan plane about the nadir

    friend bool operator==(const SatelliteOffsets&, const SatelliteOffsets&) = default;
};

// One row per satellite, in the order of the reception settings
// (NOAA-11, -12, -14, -15, -16, -17, -18, -19).
inline constexpr std::size_t kOffsetTableSize = 8;
using SatelliteOffsetTable = std::array<SatelliteOffsets, kOffsetTableSize>;

// The satellite of each row, as element sets name it after normalisation.
extern const std::array<const char*, kOffsetTableSize> kOffsetTableSatellites;

// Largest offsets the settings file may set; anything beyond is clamped.
inline constexpr double kMaxTimeOffsetSeconds = 60.0;
inline constexpr double kMaxAttitudeOffsetDeg = 5.0;

// The row of a satellite; "NOAA-19", "NOAA 19", "noaa19" all name the same
// one. Nothing for a satellite the table does not hold.
std::optional<std::size_t> OffsetTableRow(std::string_view satellite);
// The offsets of a satellite, zero for one the table does not hold.
SatelliteOffsets OffsetsForSatellite(const SatelliteOffsetTable& table,
                                        std::string_view satellite);

// The offsets limited to what a real satellite can be off by: a non-finite
// value becomes 0, a value beyond its limit the limit.
SatelliteOffsets ClampedOffsets(const SatelliteOffsets& offsets);

// Key prefix of a row in the settings file: "NOAA15" for NOAA-15, followed
// by "Time", "Roll", "Pitch" or "Yaw".
std::string OffsetKeyPrefix(std::size_t row);

}  // namespace sorae
