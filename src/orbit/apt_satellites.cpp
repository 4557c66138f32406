#include "orbit/apt_satellites.h"

#include <cmath>

#include "orbit/pass_table.h"
#include "orbit/satellite_spelling.h"

namespace sorae {

namespace {

// Seconds since 1970 of midnight UTC on a civil date.
constexpr double Utc(int year, int month, int day) {
    year -= month <= 2;
    const int era = year / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return (era * 146097.0 + dayOfEra - 719468.0) * 86400.0;
}

constexpr double kStillSending = 1e12;

struct AptSatellite {
    const char* name;
    int catalogNumber;
    double launchedUnix;
    double retiredUnix;  // the end of its APT
};

// Catalog numbers as in CelesTrak's NOAA element file; launch and
// decommissioning dates as NOAA's Office of Satellite and Product Operations
// published them. NOAA-15, -18 and -19 stopped sending in 2025; the table
// keeps them open, as recordings of those months are still decoded.
constexpr AptSatellite kSatellites[] = {
    {"NOAA-9", 15427, Utc(1984, 12, 12), Utc(1998, 2, 13)},
    {"NOAA-11", 19531, Utc(1988, 9, 24), Utc(2004, 6, 16)},
    {"NOAA-12", 21263, Utc(1991, 5, 14), Utc(2007, 8, 10)},
    {"NOAA-14", 23455, Utc(1994, 12, 30), Utc(2007, 5, 23)},
    {"NOAA-15", 25338, Utc(1998, 5, 13), kStillSending},
    {"NOAA-16", 26536, Utc(2000, 9, 21), Utc(2014, 6, 9)},
    {"NOAA-17", 27453, Utc(2002, 6, 24), Utc(2013, 4, 10)},
    {"NOAA-18", 28654, Utc(2005, 5, 20), kStillSending},
    {"NOAA-19", 33591, Utc(2009, 2, 6), kStillSending},
};
static_assert(Utc(2009, 2, 6) == 1233878400.0);

}  // namespace

std::optional<std::string> AptSatelliteOfCatalogNumber(int catalogNumber) {
    for (const AptSatellite& s : kSatellites)
        if (s.catalogNumber == catalogNumber) return std::string(s.name);
    return std::nullopt;
}

std::optional<int> CatalogNumberOfAptSatellite(const std::string& satellite) {
    const std::string name = SatelliteAsNamed(satellite);
    for (const AptSatellite& s : kSatellites)
        if (name == s.name) return s.catalogNumber;
    return std::nullopt;
}

std::vector<std::string> AptSatellitesOnFrequency(double megahertz, std::optional<double> unixSeconds) {
    constexpr double kToleranceMHz = 0.010;
    std::vector<std::string> found;
    for (const AptSatellite& s : kSatellites) {
        if (!(std::fabs(SatelliteFrequencyMHz(s.name) - megahertz) <= kToleranceMHz)) continue;
        if (unixSeconds && !(*unixSeconds >= s.launchedUnix && *unixSeconds < s.retiredUnix)) continue;
        found.emplace_back(s.name);
    }
    return found;
}

}  // namespace sorae
