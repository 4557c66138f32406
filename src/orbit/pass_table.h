// The table of coming passes (two per selected satellite) and the rules
// that order it: the start-time sort, the overlap rule, the downlink
// frequencies and the "next pass" status text.
#pragma once

#include "orbit/day_time.h"

#include <array>
#include <string>

namespace sorae {

struct PassInfo {
    DayTime start;                 // station time of acquisition
    DayTime end;                   // station time of loss
    std::string satellite;         // "NOAA-18"
    double maximumElevationDeg = 0.0;
    unsigned char direction = 0;   // 1 = south to north, 0 = north to south
    double longitudeAtMaximumRad = 0.0;
    double latitudeAtMaximumRad = 0.0;
    double heightAtMaximumKm = 0.0;
    double headingAtMaximumDeg = 0.0;
    DayTime timeOfMaximum;
    double frequencyMHz = 0.0;

    friend bool operator==(const PassInfo&, const PassInfo&) = default;
};

// A pass no satellite of the program's low orbits makes: up for more than
// 25 minutes (their longest passes take about 17). The detector follows the
// loss for thirty minutes only, so a longer pass shows as one of just under
// thirty minutes or as one that ends before it begins. A set that gives one
// is damaged (an absurd decay term, say) and gives no passes at all.
bool PassIsImplausible(const PassInfo& pass);

inline constexpr int kPassSlots = 16;
inline constexpr int kMaxPassSatellites = 8;
using PassTable = std::array<PassInfo, kPassSlots>;

// Exchanges every field of slots k-1 and k except the frequency.
void SwapPasses(PassTable& table, int k);

// 2n sweeps of neighbour exchanges, strictly earlier start first. A slot
// without a satellite (no pass found for it) never goes before one with.
void SortPassesByStart(PassTable& table, int satelliteCount);

// Decides which of two overlapping passes comes first. `skippedPassEnd`
// remembers the end of the pass set aside last time.
void ApplyOverlapRule(PassTable& table, DayTime& skippedPassEnd, bool sortElev, bool sortNext);

double SatelliteFrequencyMHz(const std::string& satellite);
void AssignFrequencies(PassTable& table, int satelliteCount);

// "次回通過: NOAA-19 137.1000MHz 10:21:05>10:35:40 N>S MaxElev 52.3deg";
// kNoPassText when the slot holds no pass.
std::string NextPassText(const PassInfo& next);
inline constexpr const char* kNoPassText = "次回通過: 今後24時間に通過はありません";
std::string DirectionText(unsigned char direction);  // "S>N" or "N>S"

// Fixed-point text, independent of the process locale.
std::string FormatFixed(double value, int decimals);

}  // namespace sorae
