#include "recording/recording_start_time.h"

#include <cmath>
#include <regex>
#include <sys/stat.h>

#include "orbit/day_time.h"
#include "orbit/reception_scheduler.h"

namespace sorae {

namespace {

// Years a recording of these satellites can carry; a run of digits that
// reads as a date outside them is something else (a frequency, a counter).
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2099;

std::string_view baseName(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<double> StartTimeFromFileName(std::string_view path) {
    // Year, month, day, hour, minute, [second], each pair of fields joined by
    // at most one separator; the digits may not run on at either end, so
    // that a part of a longer number (a frequency in Hz) never passes.
    static const std::regex stamp(
        R"((?:^|[^0-9])([0-9]{4})[-_.]?([0-9]{2})[-_.]?([0-9]{2})[-_. T]?([0-9]{2})[-_.:]?([0-9]{2}))"
        R"((?:[-_.:]?([0-9]{2}))?(?![0-9]))");
    const std::string name(baseName(path));
    for (auto it = std::sregex_iterator(name.begin(), name.end(), stamp); it != std::sregex_iterator();
         ++it) {
        const std::smatch& m = *it;
        UtcInstant t;
        t.year = std::stoi(m[1]);
        t.month = std::stoi(m[2]);
        t.day = std::stoi(m[3]);
        t.hour = std::stoi(m[4]);
        t.minute = std::stoi(m[5]);
        t.second = m[6].matched ? std::stoi(m[6]) : 0;
        if (t.year < kFirstYear || t.year > kLastYear || !IsCalendarDate(t.year, t.month, t.day) ||
            t.hour > 23 || t.minute > 59 || t.second > 59)
            continue;
        // Receiver programs stamp their recordings in UT; the program keeps
        // station time, UT + 9 h.
        return StationTimeFromUtc(t).days;
    }
    return std::nullopt;
}

double StartTimeFromModification(std::int64_t modifiedUnixSeconds, double lengthSeconds) {
    const auto length = std::int64_t(std::llround(std::max(0.0, lengthSeconds)));
    return StationTimeFromUnixSeconds(modifiedUnixSeconds - length).days;
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
