// The program's "now". Every part that asks for the present time - the
// reception scheduler, the element-age check, the map tracks and the picture
// file stamps - reads it here, so that they agree with each other.
//
// Station time is UT + 9 hours whatever zone the computer is set to.
//
// For tests and demonstrations the clock can be shifted: the environment
// variable SORAE_CLOCK_OFFSET (whole seconds, may be negative) is read once,
// at the first use; setClockOffsetSeconds() sets it from code. The shift
// applies to every reader alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "orbit/day_time.h"

namespace sorae {

inline constexpr const char* kClockOffsetVariable = "SORAE_CLOCK_OFFSET";

// A whole number of seconds, optionally signed, nothing else around it;
// nullopt for anything else (also for values beyond +-100 years).
std::optional<std::int64_t> parseClockOffset(const std::string& text);

void setClockOffsetSeconds(std::int64_t seconds);
std::int64_t clockOffsetSeconds();

// Holds the clock at a fixed UT second (since 1970-01-01) until it is set
// again or released with nullopt: a driver that runs the program faster than
// real time sets every block's second exactly, with no race against the
// system clock's ticking. The offset is not applied on top.
void setClockOverrideSeconds(std::optional<std::int64_t> unixSeconds);

// UT seconds since 1970-01-01, shifted.
std::int64_t programUnixSeconds();
// The same broken into fields (UT).
UtcInstant programUtcNow();
// Station date-time (UT + 9 h), whole seconds.
DayTime programStationNow();

UtcInstant utcFromUnixSeconds(std::int64_t seconds);

}  // namespace sorae
