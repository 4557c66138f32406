#include "orbit/pass_countdown.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorae {

namespace {

long long secondsUntil(DayTime from, DayTime to) {
    // A millisecond of slack against the day count's rounding.
    return static_cast<long long>(std::ceil((to.days - from.days) * 86400.0 - 0.001));
}

std::string clockText(long long seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

std::string PassCountdownText(DayTime now, DayTime start, DayTime end) {
    if (now.days < start.days) return "あと " + clockText(secondsUntil(now, start));
    if (now.days <= end.days) return "通過中 残り " + clockText(secondsUntil(now, end));
    return {};
}

std::string PassDurationText(DayTime start, DayTime end) {
    const long long seconds = std::max(0LL, static_cast<long long>(std::llround((end.days - start.days) * 86400.0)));
    return std::to_string(seconds / 60) + "分" + (seconds % 60 < 10 ? "0" : "") + std::to_string(seconds % 60) + "秒";
}

}  // namespace sorae
