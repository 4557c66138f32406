#include "capture/replay_pacing.h"

#include <algorithm>

namespace sorae {

int ReplaySpeedFactor(ReplaySpeed speed) {
    for (const ReplaySpeedChoice& choice : kReplaySpeeds)
        if (choice.speed == speed) return choice.factor;
    return 1;
}

void ReplayPacer::start(ReplaySpeed speed, std::int64_t nowMs) {
    speed_ = speed;
    baseMs_ = nowMs;
    fedSinceBase_ = 0;
}

void ReplayPacer::setSpeed(ReplaySpeed speed, std::int64_t nowMs) {
    // The new speed counts from now; what the old one still owed is dropped.
    start(speed, nowMs);
}

int ReplayPacer::tickMilliseconds() const { return speed_ == ReplaySpeed::Fastest ? 0 : kTickMilliseconds; }

int ReplayPacer::blocksDue(std::int64_t nowMs) {
    if (speed_ == ReplaySpeed::Fastest) return kFastestBlocksPerTick;
    const std::int64_t elapsed = std::max<std::int64_t>(0, nowMs - baseMs_);
    const std::int64_t owed = elapsed * ReplaySpeedFactor(speed_) / kBlockMilliseconds - fedSinceBase_;
    if (owed > kMaxDebtBlocks) {
        // Behind by seconds: go on from here at the chosen speed.
        baseMs_ = nowMs;
        fedSinceBase_ = 0;
        return 1;
    }
    return int(std::clamp<std::int64_t>(owed, 0, kMaxBlocksPerTick));
}

void ReplayPacer::blocksFed(int count) { fedSinceBase_ += std::max(0, count); }

}  // namespace sorae
