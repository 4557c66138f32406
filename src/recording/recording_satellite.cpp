#include "recording/recording_satellite.h"

#include <cctype>
#include <cstdio>
#include <regex>

#include "orbit/apt_satellites.h"
#include "recording/recording_start_time.h"

namespace sorae {

namespace {

constexpr double kLowestMHz = 137.0;
constexpr double kHighestMHz = 138.0;

std::string lowerBaseName(std::string_view path) {
    const auto slash = path.find_last_of('/');
    std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

std::string megahertzText(double mhz) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f MHz", mhz);
    return text;
}

}  // namespace

std::optional<double> FrequencyFromFileName(std::string_view path) {
    const std::string name = lowerBaseName(path);
    // A number not inside a longer one, with its unit or without.
    static const std::regex number(R"((?:^|[^0-9.])([0-9]+(?:\.[0-9]+)?)(?![0-9])\s*(mhz|khz|hz)?)");
    for (auto it = std::sregex_iterator(name.begin(), name.end(), number); it != std::sregex_iterator(); ++it) {
        const std::string digits = (*it)[1].str();
        const std::string unit = (*it)[2].str();
        const double value = std::stod(digits);
        const bool whole = digits.find('.') == std::string::npos;
        double mhz = 0.0;
        if (unit == "hz") mhz = value / 1e6;
        else if (unit == "khz") mhz = value / 1e3;
        else if (unit == "mhz") mhz = value;
        else if (whole && digits.size() == 9) mhz = value / 1e6;  // 137100000
        else if (whole && digits.size() == 6) mhz = value / 1e3;  // 137100
        else if (!whole) mhz = value;                              // 137.1
        if (mhz >= kLowestMHz && mhz < kHighestMHz) return mhz;
    }
    return std::nullopt;
}

RecordingSatellite SatelliteOfRecording(std::string_view path, std::optional<double> startUnixSeconds,
                                        std::optional<IqCarrier> iq) {
    RecordingSatellite found;
    if (auto named = SatelliteFromFileName(path)) {
        found.name = std::move(named);
        found.source = "the file name";
        return found;
    }
    auto mhz = FrequencyFromFileName(path);
    if (!mhz) return found;
    std::string told = "the file name's " + megahertzText(*mhz);
    if (iq) {
        if (!iq->offsetHz) {
            found.doubt = told + " is the I/Q recording's centre, and its carrier was not found";
            return found;
        }
        *mhz += *iq->offsetHz / 1e6;
        char carrier[64];
        std::snprintf(carrier, sizeof carrier, " centre and the carrier %+.1f kHz off it", *iq->offsetHz / 1e3);
        told += carrier + (": " + megahertzText(*mhz));
    }
    const auto candidates = AptSatellitesOnFrequency(*mhz, startUnixSeconds);
    if (candidates.size() == 1) {
        found.name = candidates.front();
        found.source = told;
    } else if (candidates.empty()) {
        found.doubt = "no NOAA satellite sent APT at " + told +
                      (startUnixSeconds ? " at the recording's time" : "");
    } else {
        std::string names;
        for (const std::string& c : candidates) names += (names.empty() ? "" : " or ") + c;
        found.doubt = told + " was " + names +
                      (startUnixSeconds ? " then" : "") + "; name the satellite with --satellite";
    }
    return found;
}

}  // namespace sorae
