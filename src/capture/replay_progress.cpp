#include "capture/replay_progress.h"

#include <algorithm>
#include <cstdio>

namespace sorae {

namespace {

std::string minutesAndSeconds(double seconds) {
    const long whole = long(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string ReplayProgressText(double positionSeconds, double lengthSeconds) {
    // The last, padded block must not carry the position past the end.
    const double position = std::min(positionSeconds, std::max(0.0, lengthSeconds));
    return "録音再生中 " + minutesAndSeconds(position) + " / " + minutesAndSeconds(lengthSeconds);
}

}  // namespace sorae
