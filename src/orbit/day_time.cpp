#include "orbit/day_time.h"

#include <cmath>
#include <cstdio>

namespace sorae {

namespace {
constexpr long kDayNumberOf18991230 = 2415019;
constexpr double kMillisecondsPerDay = 86400000.0;
}  // namespace

long JulianDayNumber(int year, int month, int day)
{
    long y = year;
    if (y < 0)
        ++y;
    long m;
    if (month > 2) {
        m = month + 1;
    } else {
        y -= 1;
        m = month + 13;
    }
    long jd = static_cast<long>(std::floor(365.25 * static_cast<double>(y))) +
              static_cast<long>(std::floor(30.6001 * static_cast<double>(m))) + day + 1720995;
    if (31L * (month + 12L * year) + day >= 588829L) {
        const long a = static_cast<long>(0.01 * static_cast<double>(y));
        jd += 2 - a + a / 4;
    }
    return jd;
}

CalendarDate CalendarFromDayNumber(long dayNumber)
{
    const double d = static_cast<double>(dayNumber);
    const long alpha = static_cast<long>((d - 1867216.0 - 0.25) / 36524.25);
    const long a = dayNumber + 1 + alpha - alpha / 4;
    const long b = a + 1524;
    const long c = static_cast<long>(6680.0 + (static_cast<double>(b) - 2439870.0 - 122.1) / 365.25);
    const long e = static_cast<long>(365.0 * static_cast<double>(c) + static_cast<double>(c) / 4.0);
    const long f = static_cast<long>(static_cast<double>(b - e) / 30.6001);
    CalendarDate out;
    out.day = static_cast<int>(b - e - static_cast<long>(30.6001 * static_cast<double>(f)));
    out.month = static_cast<int>(f - 1);
    if (out.month > 12)
        out.month -= 12;
    long year = c - 4715;
    if (out.month > 2)
        --year;
    if (year <= 0)
        --year;
    out.year = static_cast<int>(year);
    return out;
}

EpochDate EpochToCalendar(double epoch)
{
    // The field has 14 columns, so any real epoch is far inside this range;
    // a damaged one ("nan", "1e300") must not reach the integer conversion.
    constexpr double kLargestEpoch = 1e14;
    const double usable = std::isnan(epoch) ? 0.0 : std::fmax(-kLargestEpoch, std::fmin(epoch, kLargestEpoch));
    const long whole = static_cast<long>(usable);
    const long yy = whole / 1000;
    const int year = static_cast<int>(yy > 56 ? 1900 + yy : 2000 + yy);
    const long dayNumber = JulianDayNumber(year - 1, 12, 31) + whole % 1000;
    EpochDate out;
    out.date = CalendarFromDayNumber(dayNumber);
    out.dayFraction = epoch - static_cast<double>(whole);
    return out;
}

double MinutesSinceEpoch(double epoch, const UtcInstant& now)
{
    const EpochDate e = EpochToCalendar(epoch);
    const double epochHours = e.dayFraction * 24.0;
    const long epochDay = JulianDayNumber(e.date.year, e.date.month, e.date.day);
    const long nowDay = JulianDayNumber(now.year, now.month, now.day);
    const double dayDiff = static_cast<double>(nowDay - epochDay);
    return -60.0 * epochHours + 1440.0 * dayDiff +
           (60.0 * now.hour + now.minute + now.second / 60.0);
}

bool IsCalendarDate(int year, int month, int day)
{
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    const CalendarDate check = CalendarFromDayNumber(JulianDayNumber(year, month, day));
    return check.year == year && check.month == month && check.day == day;
}

UtClock UtClock::start(const UtcInstant& now)
{
    UtClock c;
    c.dayNumber = JulianDayNumber(now.year, now.month, now.day);
    c.hours = (60.0 * now.hour + now.minute + now.second / 60.0) / 60.0;
    return c;
}

DayTime EncodeDayTime(int year, int month, int day, int hour, int minute, int second)
{
    const double date = static_cast<double>(JulianDayNumber(year, month, day) - kDayNumberOf18991230);
    const double time = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0) / kMillisecondsPerDay;
    return DayTime{date + time};
}

DayTime LocalStationTime(int year, int month, int day, double utHours)
{
    const double minutes = (utHours - std::floor(utHours)) * 60.0;
    const int hour = static_cast<int>(utHours);
    const int minute = static_cast<int>(minutes);
    const int second = static_cast<int>((minutes - minute) * 60.0);
    const DayTime ut = EncodeDayTime(year, month, day, hour, minute, second);
    return DayTime{ut.days + 32400000.0 / kMillisecondsPerDay};
}

DayTimeFields DecodeDayTime(DayTime t)
{
    const long long total = std::llround(t.days * kMillisecondsPerDay);
    long long date = total / 86400000LL;
    long long ms = total % 86400000LL;
    if (ms < 0) {
        ms += 86400000LL;
        --date;
    }
    const CalendarDate cd = CalendarFromDayNumber(static_cast<long>(date) + kDayNumberOf18991230);
    DayTimeFields f{};
    f.year = cd.year;
    f.month = cd.month;
    f.day = cd.day;
    f.hour = static_cast<int>(ms / 3600000);
    f.minute = static_cast<int>(ms / 60000 % 60);
    f.second = static_cast<int>(ms / 1000 % 60);
    f.millisecond = static_cast<int>(ms % 1000);
    return f;
}

std::string FormatDateTime(DayTime t)
{
    const DayTimeFields f = DecodeDayTime(t);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour,
                  f.minute, f.second);
    return buf;
}

std::string FormatTimeOfDay(DayTime t)
{
    const DayTimeFields f = DecodeDayTime(t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", f.hour, f.minute, f.second);
    return buf;
}

}  // namespace sorae
