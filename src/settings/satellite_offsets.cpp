#include "settings/satellite_offsets.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace sorae {

const std::array<const char*, kOffsetTableSize> kOffsetTableSatellites{
    "NOAA-11", "NOAA-12", "NOAA-14", "NOAA-15", "NOAA-16", "NOAA-17", "NOAA-18", "NOAA-19"};

namespace {

// Letters upper-cased, digits kept, everything else dropped.
std::string compactName(std::string_view name) {
    std::string out;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) out.push_back(static_cast<char>(std::toupper(u)));
    }
    return out;
}

double clampedValue(double value, double limit) {
    if (!std::isfinite(value)) return 0.0;
    return std::clamp(value, -limit, limit);
}

}  // namespace

std::optional<std::size_t> OffsetTableRow(std::string_view satellite) {
    const std::string wanted = compactName(satellite);
    for (std::size_t i = 0; i < kOffsetTableSize; ++i) {
        if (compactName(kOffsetTableSatellites[i]) == wanted) return i;
    }
    return std::nullopt;
}

SatelliteOffsets OffsetsForSatellite(const SatelliteOffsetTable& table,
                                        std::string_view satellite) {
    if (const auto row = OffsetTableRow(satellite)) return table[*row];
    return {};
}

SatelliteOffsets ClampedOffsets(const SatelliteOffsets& o) {
    return {clampedValue(o.timeSeconds, kMaxTimeOffsetSeconds),
            clampedValue(o.rollDeg, kMaxAttitudeOffsetDeg),
            clampedValue(o.pitchDeg, kMaxAttitudeOffsetDeg),
            clampedValue(o.yawDeg, kMaxAttitudeOffsetDeg)};
}

std::string OffsetKeyPrefix(std::size_t row) {
    return row < kOffsetTableSize ? compactName(kOffsetTableSatellites[row]) : std::string();
}

}  // namespace sorae
