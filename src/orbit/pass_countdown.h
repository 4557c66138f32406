// Short texts of the time left: until a pass begins, or until a pass under
// way ends, and a pass's duration.
#pragma once

#include <string>

#include "orbit/day_time.h"

namespace sorae {

// "あと 12:34" (or "あと 1:02:03") before `start`, "通過中 残り 05:12"
// from `start` to `end`, "" after `end`. Whole seconds, rounded up, so
// that the count reaches 0:00 at the moment itself.
std::string PassCountdownText(DayTime now, DayTime start, DayTime end);

// "12分34秒"
std::string PassDurationText(DayTime start, DayTime end);

}  // namespace sorae
