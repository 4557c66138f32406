#include "orbit/pass_table.h"

#include <charconv>
#include <utility>

namespace sorae {

bool PassIsImplausible(const PassInfo& pass) {
    constexpr double kLongestPassDays = 25.0 / (24.0 * 60.0);
    const double length = pass.end.days - pass.start.days;
    return !(length >= 0.0 && length <= kLongestPassDays);
}

void SwapPasses(PassTable& table, int k)
{
    PassInfo& a = table[static_cast<std::size_t>(k - 1)];
    PassInfo& b = table[static_cast<std::size_t>(k)];
    std::swap(a, b);
    std::swap(a.frequencyMHz, b.frequencyMHz);
}

void SortPassesByStart(PassTable& table, int satelliteCount)
{
    const int slots = 2 * satelliteCount;
    for (int sweep = 0; sweep < slots; ++sweep) {
        for (int k = 1; k < slots; ++k) {
            const PassInfo& later = table[static_cast<std::size_t>(k)];
            const PassInfo& earlier = table[static_cast<std::size_t>(k - 1)];
            if (later.satellite.empty())
                continue;
            if (earlier.satellite.empty() || later.start < earlier.start)
                SwapPasses(table, k);
        }
    }
}

void ApplyOverlapRule(PassTable& table, DayTime& skippedPassEnd, bool sortElev, bool sortNext)
{
    if (skippedPassEnd == table[0].end) {
        if (sortNext)
            SwapPasses(table, 1);
        return;
    }
    skippedPassEnd = kNoSkippedPass;
    const PassInfo& first = table[0];
    const PassInfo& second = table[1];
    if (second.start <= first.timeOfMaximum && first.timeOfMaximum <= second.end) {
        if (first.maximumElevationDeg < second.maximumElevationDeg && sortElev)
            SwapPasses(table, 1);
        skippedPassEnd = table[1].end;
    }
}

double SatelliteFrequencyMHz(const std::string& satellite)
{
    static const std::pair<const char*, double> kTable[] = {
        {"NOAA-9", 137.5},   {"NOAA-11", 137.62}, {"NOAA-12", 137.5},
        {"NOAA-14", 137.62}, {"NOAA-15", 137.62}, {"NOAA-16", 137.62},
        {"NOAA-17", 137.5},  {"NOAA-18", 137.9125}, {"NOAA-19", 137.1},
    };
    for (const auto& [name, mhz] : kTable) {
        if (satellite == name)
            return mhz;
    }
    return 137.0;
}

void AssignFrequencies(PassTable& table, int satelliteCount)
{
    for (int k = 0; k < 2 * satelliteCount; ++k)
        table[static_cast<std::size_t>(k)].frequencyMHz =
            SatelliteFrequencyMHz(table[static_cast<std::size_t>(k)].satellite);
}

std::string FormatFixed(double value, int decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

std::string DirectionText(unsigned char direction)
{
    return direction == 1 ? "S>N" : "N>S";
}

std::string NextPassText(const PassInfo& next)
{
    if (next.satellite.empty())
        return kNoPassText;
    return "次回通過: " + next.satellite + " " + FormatFixed(next.frequencyMHz, 4) + "MHz " +
           FormatTimeOfDay(next.start) + ">" + FormatTimeOfDay(next.end) + " " +
           DirectionText(next.direction) + " MaxElev " + FormatFixed(next.maximumElevationDeg, 1) + "deg";
}

}  // namespace sorae
