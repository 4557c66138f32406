#include "orbit/satellite_spelling.h"

#include <cctype>

namespace sorae {

std::string SatelliteAsNamed(std::string_view typed) {
    std::string_view t = typed;
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    auto startsWithNoCase = [&](std::string_view prefix) {
        if (t.size() < prefix.size()) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(t[i])) != prefix[i]) return false;
        return true;
    };
    std::string_view digits;
    if (startsWithNoCase("noaa")) {
        digits = t.substr(4);
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '_' || digits.front() == ' '))
            digits.remove_prefix(1);
    } else if (startsWithNoCase("n")) {
        digits = t.substr(1);
        if (digits.size() != 2) return std::string(typed);
    } else {
        return std::string(typed);
    }
    if (digits.empty() || digits.size() > 2) return std::string(typed);
    for (const char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::string(typed);
    if (digits.size() == 2 && digits.front() == '0') return std::string(typed);
    return "NOAA-" + std::string(digits);
}

}  // namespace sorae
