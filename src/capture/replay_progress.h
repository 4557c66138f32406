// The replay's progress line in status panel 0: "録音再生中 12:34 / 15:02",
// the position and the length of the recording in minutes and seconds
// (minutes go past 59 for a long recording).
#pragma once

#include <string>

namespace sorae {

std::string ReplayProgressText(double positionSeconds, double lengthSeconds);

}  // namespace sorae
