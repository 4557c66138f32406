// Envelopes made by hand for the decoder tests: APT lines of 2080 words in
// the usual layout (sync A, space A, image A, telemetry A, sync B, space B,
// image B, telemetry B), held at the 24 kHz envelope rate by repeating each
// word for the samples that fall into it, exactly as the sync pattern does.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "apt/sync_pattern.h"

namespace sorae::test {

constexpr double kFullScale = 1500.0;   // envelope level of wedge 8 (full white)

struct LineLayout {
    static constexpr int kSyncA = 0, kSpaceA = 39, kImageA = 86, kTelemetryA = 995;
    static constexpr int kSyncB = 1040, kSpaceB = 1079, kImageB = 1126, kTelemetryB = 2035;
    static constexpr int kImageWords = 909;
};

// Level of wedge 1..16 for a channel whose sensor is sensorWedge (1..6).
inline double wedgeLevel(int wedge, int sensorWedge) {
    if (wedge <= 8) return kFullScale * wedge / 8.0;
    if (wedge == 9) return 0.0;
    if (wedge == 16) return wedgeLevel(sensorWedge, sensorWedge);
    return kFullScale * (0.45 - 0.01 * wedge);   // temperatures, back scan: falling
}

// Source line `line` (counted from 0) as 2080 words. The picture keeps below
// half of full scale so that only sync A and the telemetry cross the slicer.
inline std::array<double, 2080> sourceLine(int line, int sensorA = 4, int sensorB = 2) {
    std::array<double, 2080> w{};
    const double low = 0.03 * kFullScale;
    const double high = kFullScale;
    for (int i = 0; i < 2080; ++i) w[i] = low;
    for (int pulse = 0; pulse < 7; ++pulse) {           // sync A: 1040 Hz pulses
        w[LineLayout::kSyncA + 3 + 4 * pulse] = high;
        w[LineLayout::kSyncA + 4 + 4 * pulse] = high;
    }
    for (int pulse = 0; pulse < 7; ++pulse)              // sync B: 832 Hz pulses
        for (int j = 0; j < 3; ++j) w[LineLayout::kSyncB + 4 + 5 * pulse + j] = high * 0.9;
    std::uint32_t h = 2166136261u ^ std::uint32_t(line * 2654435761u);
    for (int x = 0; x < LineLayout::kImageWords; ++x) {
        h = h * 1664525u + 1013904223u;
        const double texture = double(h >> 8) / double(1u << 24);   // 0..1
        const double shadeA = 0.05 + 0.35 * (0.5 + 0.5 * (x % 97) / 97.0) * (0.6 + 0.4 * texture);
        const double shadeB = 0.40 - 0.30 * (x / 909.0) * (0.7 + 0.3 * texture);
        w[LineLayout::kImageA + x] = kFullScale * shadeA;
        w[LineLayout::kImageB + x] = kFullScale * shadeB;
    }
    const int wedge = (line / 8) % 16 + 1;
    for (int i = 0; i < 45; ++i) {
        w[LineLayout::kTelemetryA + i] = wedgeLevel(wedge, sensorA);
        w[LineLayout::kTelemetryB + i] = wedgeLevel(wedge, sensorB);
    }
    return w;
}

// One 12000-sample block in which source line `line` starts at sample
// syncStart (its sync A's first sample); the samples before come from the
// end of line - 1.
inline std::vector<double> blockWithSyncAt(int syncStart, int line, int sensorA = 4,
                                           int sensorB = 2) {
    std::vector<double> block(kEnvelopeBlockSamples);
    const auto current = sourceLine(line, sensorA, sensorB);
    const auto previous = sourceLine(line - 1, sensorA, sensorB);
    for (int k = 0; k < kEnvelopeBlockSamples; ++k) {
        const int rel = k - syncStart;
        if (rel >= 0)
            block[k] = current[(13 * rel) / 75];
        else
            block[k] = previous[(13 * (rel + kEnvelopeBlockSamples)) / 75];
    }
    return block;
}

}  // namespace sorae::test
