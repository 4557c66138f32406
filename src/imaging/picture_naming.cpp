#include "imaging/picture_naming.h"

#include <cmath>
#include <cstdio>

namespace sorae {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

constexpr long long kDayCountEpochUnixDays = -25569;  // 1899-12-30

}  // namespace

CivilMinute CivilMinuteFromDayCount(double dayCount) {
    const long long ms = std::llround(dayCount * 86400000.0);
    long long days = ms / 86400000;
    long long rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        days -= 1;
    }
    CivilMinute t;
    CivilFromDays(days + kDayCountEpochUnixDays, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    return t;
}

double DayCountFromCivil(int year, int month, int day, int hour, int minute, int second) {
    const long long days = DaysFromCivil(year, unsigned(month), unsigned(day)) - kDayCountEpochUnixDays;
    return double(days) + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

std::string FormatFileStamp(const CivilMinute& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

std::string FormatTitleTime(const CivilMinute& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

std::string SatellitePart(const std::string& satelliteName, bool manual) {
    if (manual) return "MN";
    if (satelliteName.size() == 7) return satelliteName.substr(5, 2);
    if (satelliteName.size() == 6) {
        std::string part(1, '0');
        part += satelliteName[5];
        return part;
    }
    return {};
}

std::string PictureFilePath(const std::string& picsFolder, const std::string& stamp,
                            const std::string& satellitePart, int channel, int occurrence) {
    std::string path = picsFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += stamp + satellitePart + (channel == 0 ? "A" : "B");
    if (occurrence > 1) {
        path += '-';
        path += std::to_string(occurrence);
    }
    return path + ".jpg";
}

std::string FormatTitleLine(const CivilMinute& maxElevationTime, double frequencyMHz,
                            const std::string& directionText, double maxElevationDeg,
                            const std::string& sensorName) {
    const std::string time = FormatTitleTime(maxElevationTime);
    char text[256];
    std::snprintf(text, sizeof text, " %s %0.4fMHz %s", time.c_str(), frequencyMHz, directionText.c_str());
    std::string line = text;
    // an elevation nobody knows is left out rather than shown as 0.0
    if (std::isfinite(maxElevationDeg)) {
        std::snprintf(text, sizeof text, " MaxElev:%0.1fdeg", maxElevationDeg);
        line += text;
    }
    if (sensorName != kUnknownSensor) line += " Senser:" + sensorName;
    return line;
}

}  // namespace sorae
