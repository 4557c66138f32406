// Names and texts of the saved pictures of a pass: the 12-digit file stamp,
// the two-character satellite part, the file paths and the title line.
// Date-times are day counts (days since 1899-12-30, the fraction being the
// time of day) in station time.
#pragma once

#include <string>

namespace sorae {

struct CivilMinute {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
};

// Calendar date and minute of a day count (the time is rounded to the
// millisecond first, then cut to the minute).
CivilMinute CivilMinuteFromDayCount(double dayCount);
// The day count of a calendar date and time.
double DayCountFromCivil(int year, int month, int day, int hour, int minute, int second = 0);

// "YYYYMMDDHHMM"
std::string FormatFileStamp(const CivilMinute& t);
// "yyyy/mm/dd hh:nn"
std::string FormatTitleTime(const CivilMinute& t);

// "MN" for a manual reception; "NOAA-18" -> "18"; "NOAA-9" -> "09"; else "".
std::string SatellitePart(const std::string& satelliteName, bool manual);

// folder/stamp + satellite part + "A.jpg" (channel 0) or "B.jpg" (channel 1);
// from the second pass of one name on, "-N" before ".jpg" ("...A-2.jpg").
std::string PictureFilePath(const std::string& picsFolder, const std::string& stamp,
                            const std::string& satellitePart, int channel, int occurrence = 1);

inline constexpr const char* kUnknownSensor = "Senser Type";

// The second title line; the sensor is named only once it is identified,
// the maximum elevation only when known (not NaN).
std::string FormatTitleLine(const CivilMinute& maxElevationTime, double frequencyMHz,
                            const std::string& directionText, double maxElevationDeg,
                            const std::string& sensorName);

}  // namespace sorae
