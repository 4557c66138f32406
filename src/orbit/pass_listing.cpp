#include "orbit/pass_listing.h"

#include <charconv>
#include <cstring>

#include "orbit/satellite_spelling.h"

namespace sorae {

namespace {

bool parseDouble(const std::string& text, double& out)
{
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto r = std::from_chars(begin, end, out);
    return r.ec == std::errc{} && r.ptr == end && begin != end;
}

bool parseInt(const char* begin, const char* end, int& out)
{
    const auto r = std::from_chars(begin, end, out);
    return r.ec == std::errc{} && r.ptr == end;
}

}  // namespace

std::string FormatPassLine(int slot, const PassInfo& p)
{
    return std::to_string(slot) + "\t" + p.satellite + "\t" + FormatDateTime(p.start) + "\t" +
           FormatDateTime(p.end) + "\t" + FormatFixed(p.maximumElevationDeg, 1) + "\t" +
           DirectionText(p.direction) + "\t" + FormatFixed(p.frequencyMHz, 4) + "\t" +
           FormatDateTime(p.timeOfMaximum);
}

std::string FormatPassListing(const PassComputation& result)
{
    std::string out;
    for (int k = 0; k < 2 * result.satelliteCount; ++k) {
        const PassInfo& p = result.table[static_cast<std::size_t>(k)];
        if (p.satellite.empty())
            continue;
        out += FormatPassLine(k, p) + "\n";
    }
    out += result.nextPassText + "\n";
    return out;
}

std::optional<UtcInstant> ParseUtcInstant(const std::string& text)
{
    // Fixed layout: 0123456789012345678
    //               YYYY/MM/DD hh:nn:ss
    if (text.size() != 19 || text[4] != '/' || text[7] != '/' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    const char* s = text.data();
    UtcInstant t;
    if (!parseInt(s, s + 4, t.year) || !parseInt(s + 5, s + 7, t.month) || !parseInt(s + 8, s + 10, t.day) ||
        !parseInt(s + 11, s + 13, t.hour) || !parseInt(s + 14, s + 16, t.minute) ||
        !parseInt(s + 17, s + 19, t.second))
        return std::nullopt;
    if (t.year < 1958 || t.year > 2056 || t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return std::nullopt;
    if (!IsCalendarDate(t.year, t.month, t.day))
        return std::nullopt;
    return t;
}

std::optional<StationPosition> ParseStationPosition(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    StationPosition p{};
    if (!parseDouble(text.substr(0, comma), p.latitudeDeg) || !parseDouble(text.substr(comma + 1), p.longitudeDeg))
        return std::nullopt;
    if (!(p.latitudeDeg >= -90.0 && p.latitudeDeg <= 90.0 && p.longitudeDeg >= -180.0 && p.longitudeDeg <= 360.0))
        return std::nullopt;
    return p;
}

std::optional<std::array<bool, 8>> ParseSatelliteSelection(const std::string& text)
{
    std::array<bool, 8> selected{};
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t to = text.find(',', from);
        if (to == std::string::npos)
            to = text.size();
        const std::string name = SatelliteAsNamed(text.substr(from, to - from));
        bool known = false;
        for (std::size_t i = 0; i < kSelectableSatellites.size(); ++i) {
            if (name == kSelectableSatellites[i]) {
                selected[i] = true;
                known = true;
            }
        }
        if (!known)
            return std::nullopt;
        from = to + 1;
    }
    return selected;
}

}  // namespace sorae
