// Calendar and clock arithmetic of the orbit code: day numbers, element-set
// epochs, the UT search clock and the station's local date-times.
//
// Date-times are day counts since 1899-12-30 (the fraction is the time of
// day), held in DayTime so they cannot be mixed up with other doubles.
#pragma once

#include <string>

namespace sorae {

struct DayTime {
    double days = 0.0;  // days since 1899-12-30 00:00
    friend bool operator==(DayTime a, DayTime b) { return a.days == b.days; }
    friend bool operator<(DayTime a, DayTime b) { return a.days < b.days; }
    friend bool operator<=(DayTime a, DayTime b) { return a.days <= b.days; }
};

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// A UT instant broken into its fields, as the computer's clock gives it.
struct UtcInstant {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Epoch of an element set: calendar date and fraction of that day.
struct EpochDate {
    CalendarDate date;
    double dayFraction = 0.0;
};

// Julian day number (the Julian date at noon) of a Gregorian date.
long JulianDayNumber(int year, int month, int day);
CalendarDate CalendarFromDayNumber(long dayNumber);
// True when the day exists in its month of the Gregorian calendar.
bool IsCalendarDate(int year, int month, int day);

// YYDDD.DDDDDDDD, two-digit years above 56 in the 1900s.
EpochDate EpochToCalendar(double epoch);

// Minutes from the element set's epoch to the given UT instant.
double MinutesSinceEpoch(double epoch, const UtcInstant& now);

// The UT clock of a pass search: day number and hours of the day.
struct UtClock {
    long dayNumber = 0;
    double hours = 0.0;

    static UtClock start(const UtcInstant& now);
    void advanceHours(double stepHours)
    {
        hours += stepHours;
        while (hours >= 24.0) {
            hours -= 24.0;
            ++dayNumber;
        }
    }
};

// Date-times built the way the text "yyyy/mm/dd hh:nn:ss" parses.
DayTime EncodeDayTime(int year, int month, int day, int hour, int minute, int second);

// Station time (UT + 9 h) of a UT moment, truncated to whole seconds.
DayTime LocalStationTime(int year, int month, int day, double utHours);

// Broken into fields, rounded to the millisecond as the text forms do.
struct DayTimeFields {
    int year, month, day, hour, minute, second, millisecond;
};
DayTimeFields DecodeDayTime(DayTime t);
std::string FormatDateTime(DayTime t);  // "yyyy/mm/dd hh:nn:ss"
std::string FormatTimeOfDay(DayTime t); // "hh:nn:ss"

// 1990-01-01 00:00:00, the "nothing set aside" mark of the overlap rule.
inline constexpr DayTime kNoSkippedPass{32874.0};
// Thirty minutes, the longest pass the search accepts.
inline constexpr double kThirtyMinutesDays = 1800000.0 / 86400000.0;

}  // namespace sorae
