#include "recording/recording_start_time.h"

#include <cctype>
#include <cmath>
#include <ctime>
#include <regex>
#include <sys/stat.h>

#include "orbit/day_time.h"

namespace sorae {

namespace {

// Years a recording of these satellites can carry; a run of digits that
// reads as a date outside them is something else (a frequency, a counter).
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2099;
constexpr double kStationHoursAheadOfUt = 9.0;
constexpr long kUnixEpochDayNumber = 2440588;  // 1970-01-01

std::string_view baseName(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

struct Civil {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    bool possible() const {
        return year >= kFirstYear && year <= kLastYear && IsCalendarDate(year, month, day) &&
               hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second < 60;
    }
    // Seconds since 1970 of these fields read as UTC.
    double asUtc() const {
        const long days = JulianDayNumber(year, month, day) - kUnixEpochDayNumber;
        return double(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
    }
};

int number(const std::ssub_match& m) { return std::stoi(m.str()); }

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// A NOAA satellite number as the element reader names it.
std::string noaaName(int number) { return "NOAA-" + std::to_string(number); }

// This program's pass audio: the 12-digit station-time stamp, the
// satellite part, perhaps a number that kept it from replacing another.
std::optional<FileNameTime> ownPassAudio(const std::string& name) {
    static const std::regex own(R"(^([0-9]{4})([0-9]{2})([0-9]{2})([0-9]{2})([0-9]{2})([0-9]{2}|MN)?(?:_[0-9]+)?\.flac$)");
    std::smatch m;
    if (!std::regex_match(name, m, own)) return std::nullopt;
    Civil t{number(m[1]), number(m[2]), number(m[3]), number(m[4]), number(m[5]), 0};
    if (!t.possible()) return std::nullopt;
    FileNameTime out;
    out.unixSeconds = t.asUtc() - kStationHoursAheadOfUt * 3600.0;
    out.convention = "this program's pass audio name (station time, UT + 9 h; the minute of the pass's "
                     "maximum elevation, approximate)";
    out.approximate = true;
    if (m[6].matched && m[6].str() != "MN") out.satellite = noaaName(number(m[6]));
    return out;
}

// Programs that write the date and time in fixed places.
std::optional<FileNameTime> receiverProgram(const std::string& name) {
    struct Convention {
        std::regex pattern;
        const char* what;
    };
    static const Convention utc[] = {
        {std::regex(R"(^gqrx_([0-9]{4})([0-9]{2})([0-9]{2})_([0-9]{2})([0-9]{2})([0-9]{2})(?:_|\.))"),
         "gqrx file name (UTC)"},
        {std::regex(R"(^SDRSharp_([0-9]{4})([0-9]{2})([0-9]{2})_([0-9]{2})([0-9]{2})([0-9]{2})Z)"),
         "SDR# file name (UTC)"},
        {std::regex(R"(^HDSDR_([0-9]{4})([0-9]{2})([0-9]{2})_([0-9]{2})([0-9]{2})([0-9]{2})Z)"),
         "HDSDR file name (UTC)"},
    };
    std::smatch m;
    for (const Convention& c : utc) {
        if (!std::regex_search(name, m, c.pattern)) continue;
        Civil t{number(m[1]), number(m[2]), number(m[3]), number(m[4]), number(m[5]), double(number(m[6]))};
        if (!t.possible()) return std::nullopt;
        return FileNameTime{t.asUtc(), c.what, false, std::nullopt};
    }
    // SDR++: hour-minute-second, then day-month-year, in local time.
    static const std::regex sdrpp(
        R"((?:^|[^0-9])([0-9]{2})-([0-9]{2})-([0-9]{2})_([0-9]{2})-([0-9]{2})-([0-9]{4})(?![0-9]))");
    if (std::regex_search(name, m, sdrpp)) {
        Civil t{number(m[6]), number(m[5]), number(m[4]), number(m[1]), number(m[2]), double(number(m[3]))};
        if (!t.possible()) return std::nullopt;
        std::tm local{};
        local.tm_year = t.year - 1900;
        local.tm_mon = t.month - 1;
        local.tm_mday = t.day;
        local.tm_hour = t.hour;
        local.tm_min = t.minute;
        local.tm_sec = int(t.second);
        local.tm_isdst = -1;
        const std::time_t seconds = std::mktime(&local);
        if (seconds == std::time_t(-1)) return std::nullopt;
        return FileNameTime{double(seconds), "SDR++ file name (local time of this computer)", false,
                            std::nullopt};
    }
    return std::nullopt;
}

// A date and time anywhere in the name, read as UTC. Every place where a
// run of digits begins is tried, so an earlier number (a frequency) that
// almost reads as a date hides nothing after it.
std::optional<FileNameTime> anyDateTime(const std::string& name) {
    static const std::regex stamp(
        R"(([0-9]{4})[-_.]?([0-9]{2})[-_.]?([0-9]{2})[-_. T]?([0-9]{2})[-_.:]?([0-9]{2}))"
        R"((?:[-_.:]?([0-9]{2}))?(?![0-9]))");
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (!std::isdigit(static_cast<unsigned char>(name[at]))) continue;
        if (at > 0 && std::isdigit(static_cast<unsigned char>(name[at - 1]))) continue;
        std::smatch m;
        const auto from = name.begin() + long(at);
        if (!std::regex_search(from, name.end(), m, stamp, std::regex_constants::match_continuous)) continue;
        Civil t{number(m[1]), number(m[2]), number(m[3]), number(m[4]), number(m[5]),
                m[6].matched ? double(number(m[6])) : 0.0};
        if (!t.possible()) continue;
        return FileNameTime{t.asUtc(), "date and time in the file name (taken as UTC)", false, std::nullopt};
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileNameTime> TimeFromFileName(std::string_view path) {
    const std::string name(baseName(path));
    if (auto own = ownPassAudio(name)) return own;
    if (auto program = receiverProgram(name)) return program;
    return anyDateTime(name);
}

std::optional<double> ParseIsoStartTime(std::string_view text, std::string* error) {
    static const std::regex iso(
        R"(^([0-9]{4})-([0-9]{2})-([0-9]{2})[T ]([0-9]{2}):([0-9]{2}):([0-9]{2}(?:\.[0-9]+)?))"
        R"((Z|([+-])([0-9]{2}):?([0-9]{2}))$)");
    const std::string s(text);
    std::smatch m;
    auto fail = [&](const std::string& why) -> std::optional<double> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (!std::regex_match(s, m, iso))
        return fail("a start time is written 2021-07-14T22:01:40Z or 2021-07-14T22:01:40+09:00 "
                    "(the zone is needed), not " + s);
    Civil t{number(m[1]), number(m[2]), number(m[3]), number(m[4]), number(m[5]), std::stod(m[6].str())};
    if (!t.possible()) return fail("no such date and time: " + s);
    double seconds = t.asUtc();
    if (m[7].str() != "Z") {
        const int hours = number(m[9]);
        const int minutes = number(m[10]);
        if (hours > 14 || minutes > 59) return fail("no such time zone offset: " + s);
        const double offset = hours * 3600.0 + minutes * 60.0;
        seconds -= m[8].str() == "+" ? offset : -offset;
    }
    return seconds;
}

std::optional<RecordingStart> FindRecordingStart(const std::string& path, double lengthSeconds,
                                                 std::optional<double> givenUnixSeconds) {
    if (givenUnixSeconds) return RecordingStart{*givenUnixSeconds, "--start", false};
    if (const auto fromName = TimeFromFileName(path))
        return RecordingStart{fromName->unixSeconds, fromName->convention, fromName->approximate};
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    const double length = std::isfinite(lengthSeconds) ? std::max(0.0, lengthSeconds) : 0.0;
    return RecordingStart{double(info.st_mtime) - length, "modification time less length (approximate)", true};
}

std::optional<std::string> SatelliteFromFileName(std::string_view path) {
    const std::string name(baseName(path));
    if (const auto own = ownPassAudio(name)) return own->satellite;
    // "noaa19", "noaa-19", "noaa_19", "noaa 19", or the short "n19" of the
    // satellites still sending; not inside a longer word or number.
    static const std::regex spelled(R"((?:^|[^a-z0-9])noaa[-_ ]?([0-9]{1,2})(?![0-9]))");
    static const std::regex shortForm(R"((?:^|[^a-z0-9])n(15|18|19)(?![0-9]))");
    const std::string text = lower(name);
    std::smatch m;
    if (std::regex_search(text, m, spelled) || std::regex_search(text, m, shortForm)) {
        const int n = number(m[1]);
        if (n >= 1) return noaaName(n);
    }
    return std::nullopt;
}

double StationDaysFromUnixSeconds(double unixSeconds) {
    constexpr double kDayCountOf1970 = 25569.0;  // 1970-01-01 counted from 1899-12-30
    return unixSeconds / 86400.0 + kDayCountOf1970 + kStationHoursAheadOfUt / 24.0;
}

std::optional<double> StartTimeFromFileName(std::string_view path) {
    const auto found = TimeFromFileName(path);
    if (!found) return std::nullopt;
    return StationDaysFromUnixSeconds(found->unixSeconds);
}

double StartTimeFromModification(std::int64_t modifiedUnixSeconds, double lengthSeconds) {
    const auto length = std::int64_t(std::llround(std::max(0.0, lengthSeconds)));
    return StationDaysFromUnixSeconds(double(modifiedUnixSeconds - length));
}

std::optional<RecordingStartTime> FindRecordingStartTime(const std::string& path,
                                                         double lengthSeconds) {
    if (const auto fromName = StartTimeFromFileName(path))
        return RecordingStartTime{*fromName, StartTimeSource::FileName};
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return RecordingStartTime{StartTimeFromModification(info.st_mtime, lengthSeconds),
                              StartTimeSource::ModificationTime};
}

}  // namespace sorae
