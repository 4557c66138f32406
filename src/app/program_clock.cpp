#include "app/program_clock.h"

#include <atomic>
#include <climits>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "orbit/reception_scheduler.h"

namespace sorae {

namespace {

constexpr std::int64_t kHundredYears = std::int64_t(100) * 366 * 86400;

std::atomic<std::int64_t>& offsetStore() {
    static std::atomic<std::int64_t> offset{[] {
        const char* text = std::getenv(kClockOffsetVariable);
        if (text == nullptr || *text == '\0') return std::int64_t(0);
        const auto parsed = parseClockOffset(text);
        if (!parsed) {
            std::fprintf(stderr, "sorae-apt: %s=%s is not a number of seconds; ignored\n",
                         kClockOffsetVariable, text);
            return std::int64_t(0);
        }
        return *parsed;
    }()};
    return offset;
}

constexpr std::int64_t kNoOverride = INT64_MIN;

std::atomic<std::int64_t>& overrideStore() {
    static std::atomic<std::int64_t> value{kNoOverride};
    return value;
}

}  // namespace

std::optional<std::int64_t> parseClockOffset(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kHundredYears) return std::nullopt;
    }
    return negative ? -value : value;
}

void setClockOffsetSeconds(std::int64_t seconds) { offsetStore().store(seconds); }

std::int64_t clockOffsetSeconds() { return offsetStore().load(); }

void setClockOverrideSeconds(std::optional<std::int64_t> unixSeconds) {
    overrideStore().store(unixSeconds ? *unixSeconds : kNoOverride);
}

std::int64_t programUnixSeconds() {
    const std::int64_t fixed = overrideStore().load();
    if (fixed != kNoOverride) return fixed;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(now).count() + clockOffsetSeconds();
}

UtcInstant utcFromUnixSeconds(std::int64_t s) {
    std::int64_t days = s / 86400;
    std::int64_t rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // 2440588 is the day number of 1970-01-01.
    const CalendarDate d = CalendarFromDayNumber(static_cast<long>(days + 2440588));
    return UtcInstant{d.year, d.month, d.day, int(rest / 3600), int(rest / 60 % 60), int(rest % 60)};
}

UtcInstant programUtcNow() { return utcFromUnixSeconds(programUnixSeconds()); }

DayTime programStationNow() { return StationTimeFromUnixSeconds(programUnixSeconds()); }

}  // namespace sorae
