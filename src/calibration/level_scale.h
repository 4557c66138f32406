// How received levels map onto 8-bit APT words, from the telemetry
// staircase: wedge 9 is word 0 and wedges 1..8 are eighths of full scale
// (the nearest whole words, 32 .. 255). Piecewise linear through those nine
// points, so that a receiver whose envelope bends (noise lifts the dark
// levels most) is straightened out where the scene's words lie. Points that
// do not rise above the one before (a clipped loud recording) are skipped;
// beyond the ends the nearest piece is extended.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "apt/staircase_recognition.h"

namespace sorae {

class LevelScale {
public:
    static constexpr int kPoints = 9;
    // The word of point i (0 = wedge 9, i = wedge i otherwise).
    static double pointWord(int i);

    // Nothing unless wedges 9 and 8 and at least the rise between them are there.
    static std::optional<LevelScale> fromWedges(const WedgeLevels& wedges);
    // Point by point the median of several scales (of the frames of a pass).
    static std::optional<LevelScale> median(const std::vector<LevelScale>& scales);
    // The straight line (least squares) through the scales' points, each
    // the mean over the scales with outliers left out: for a chain that is
    // linear, with the noise of every wedge of every frame averaged instead
    // of two wedges' per piece. Nothing when fewer than three points are
    // there or a point lies off the line by more than its noise allows (a
    // chain that bends).
    static constexpr double kLinearityNoiseWidths = 3.5;
    static constexpr double kLinearityFloorWords = 0.3;
    static std::optional<LevelScale> straightLine(const std::vector<LevelScale>& scales);

    double word(double level) const;
    double level(double word) const;
    double zeroLevel() const { return levels_[0]; }
    double whiteLevel() const { return levels_[kPoints - 1]; }

private:
    explicit LevelScale(const std::array<double, kPoints>& levels);
    std::array<double, kPoints> raw_{};   // as measured, for the median
    // the rising points only
    std::array<double, kPoints> levels_{};
    std::array<double, kPoints> words_{};
    int count_ = 0;
};

}  // namespace sorae
