#include "apt/block_timeline.h"

namespace sorae {

double BlockTimeline::next(double clockUnixSeconds) {
    const double firstSample = clockUnixSeconds - blockSeconds_;
    if (std::isnan(startUnixSeconds_)) {
        startUnixSeconds_ = firstSample;
        lastBlockSeconds_ = 0.0;
        return 0.0;
    }
    double seconds = lastBlockSeconds_ + blockSeconds_;
    const double late = (firstSample - startUnixSeconds_) - seconds;
    const bool lagging = std::isfinite(late) && late > 0.5 * blockSeconds_;
    if (lagging && std::fabs(late - lastLate_) < 0.5 * blockSeconds_)
        ++steadyLate_;
    else
        steadyLate_ = 0;
    lastLate_ = lagging ? late : 0.0;
    if (steadyLate_ >= 2) {
        // Whole blocks never came.
        seconds += std::round(late / blockSeconds_) * blockSeconds_;
        steadyLate_ = 0;
        lastLate_ = 0.0;
    }
    lastBlockSeconds_ = seconds;
    return seconds;
}

}  // namespace sorae
