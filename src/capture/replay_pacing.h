// Paces the replay of a recording through the block handler: how many
// half-second blocks are due at each timer tick for the chosen speed (real
// time, 2x, 4x, 8x, or as fast as the machine goes), so that the window's
// timer only has to ask and feed. The clock is handed in (milliseconds of
// a monotonic clock); a change of speed keeps the blocks already fed.
#pragma once

#include <array>
#include <cstdint>

namespace sorae {

enum class ReplaySpeed { Real, Double, Fourfold, Eightfold, Fastest };

struct ReplaySpeedChoice {
    ReplaySpeed speed;
    int factor;           // times real time; 0 for Fastest
    const char* caption;  // as the dialog and the toolbar show it
};

inline constexpr std::array<ReplaySpeedChoice, 5> kReplaySpeeds{{
    {ReplaySpeed::Real, 1, "1倍速"},
    {ReplaySpeed::Double, 2, "2倍速"},
    {ReplaySpeed::Fourfold, 4, "4倍速"},
    {ReplaySpeed::Eightfold, 8, "8倍速"},
    {ReplaySpeed::Fastest, 0, "最高速"},
}};

class ReplayPacer {
public:
    static constexpr int kBlockMilliseconds = 500;
    // Paced speeds: the timer's period, and the most blocks one tick feeds
    // to catch up; a debt beyond kMaxDebtBlocks (the machine stalled) is
    // dropped rather than fed in one burst.
    static constexpr int kTickMilliseconds = 50;
    static constexpr int kMaxBlocksPerTick = 4;
    static constexpr int kMaxDebtBlocks = 8;
    // As fast as possible: blocks per tick at most (the caller stops
    // earlier when its time slice is used up), the timer running at 0 ms.
    static constexpr int kFastestBlocksPerTick = 16;

    // Starts pacing at nowMs with no block fed.
    void start(ReplaySpeed speed, std::int64_t nowMs);
    void setSpeed(ReplaySpeed speed, std::int64_t nowMs);
    ReplaySpeed speed() const { return speed_; }
    // The timer period for the current speed (0 for Fastest).
    int tickMilliseconds() const;

    // Blocks to feed now; call blocksFed() with what was really fed.
    int blocksDue(std::int64_t nowMs);
    void blocksFed(int count);

private:
    ReplaySpeed speed_ = ReplaySpeed::Real;
    std::int64_t baseMs_ = 0;       // when the blocks since the base began
    std::int64_t fedSinceBase_ = 0;
};

int ReplaySpeedFactor(ReplaySpeed speed);

}  // namespace sorae
