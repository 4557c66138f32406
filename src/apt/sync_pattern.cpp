#include "apt/sync_pattern.h"

namespace sorae {
namespace {

std::array<std::uint8_t, kSyncWords> syncAWords() {
    std::array<std::uint8_t, kSyncWords> words{};
    // 3 low words, then seven times high, high, low, low; the last 8 stay low
    for (int pulse = 0; pulse < 7; ++pulse) {
        words[3 + 4 * pulse] = 1;
        words[4 + 4 * pulse] = 1;
    }
    return words;
}

std::array<std::uint8_t, kSyncWords> syncBWords() {
    std::array<std::uint8_t, kSyncWords> words{};
    for (int pulse = 0; pulse < 7; ++pulse)
        words[4 + 5 * pulse] = words[5 + 5 * pulse] = words[6 + 5 * pulse] = 1;
    return words;
}

std::array<std::uint8_t, kSyncPatternLength> buildPattern(const std::array<std::uint8_t, kSyncWords>& words) {
    std::array<std::uint8_t, kSyncPatternLength> pattern{};
    for (int k = 0; k < kSyncPatternLength; ++k)
        pattern[k] = words[(13 * k) / 75];
    return pattern;
}

SyncPatternRuns buildRuns() {
    const auto& pattern = syncAPattern();
    SyncPatternRuns runs;
    for (int k = 0; k < kSyncPatternLength; ++k) {
        if (k == 0 || pattern[k] != pattern[k - 1]) {
            runs.start[runs.count] = k;
            runs.value[runs.count] = pattern[k];
            ++runs.count;
        }
    }
    runs.start[runs.count] = kSyncPatternLength;
    return runs;
}

}  // namespace

const std::array<std::uint8_t, kSyncPatternLength>& syncAPattern() {
    static const auto pattern = buildPattern(syncAWords());
    return pattern;
}

const std::array<std::uint8_t, kSyncPatternLength>& syncBPattern() {
    static const auto pattern = buildPattern(syncBWords());
    return pattern;
}

const SyncPatternRuns& syncAPatternRuns() {
    static const SyncPatternRuns runs = buildRuns();
    return runs;
}

}  // namespace sorae
