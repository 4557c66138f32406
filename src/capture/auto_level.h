// Automatic level: scales the 24 kHz envelope so that white reads where the
// line decoder, the telemetry and the picture code expect it (about 1530),
// whatever the level of the recording or the sound card.
//
// Each half-second block is one line period, and every line holds white
// words: the sync pulses and, on channel B, the space beside the picture
// (about 4 % of the line). The 98th percentile of a block's envelope
// therefore falls on white, whatever the picture shows, and a click of a few
// milliseconds does not move it. The level follows that reading quickly
// when it rises (so a loud signal after a quiet start is not clipped for
// long) and slowly when it falls; silent blocks leave it unchanged.
//
// The scaled envelope is clamped at 1.25 x white, so a click cannot raise
// the slicer threshold of the line decoder for a whole line.
//
// Nothing is allocated per block.
#pragma once

#include <array>
#include <cstdint>

namespace sorae {

class AutoLevel {
public:
    static constexpr double kWhiteLevel = 1530.0;                // white word, scaled
    static constexpr double kClampLevel = 1.25 * kWhiteLevel;    // ceiling of the scaled envelope
    static constexpr double kPercentile = 0.98;
    // What the percentile reads for a signal whose white is kWhiteLevel (the
    // envelope filter rounds the sync pulses off a little).
    static constexpr double kReferenceReading = 1530.0;
    static constexpr double kMinReading = 1.0;      // below: a silent block, measured as nothing
    static constexpr double kMaxGainDb = 60.0;
    static constexpr double kMinGainDb = -60.0;
    static constexpr double kAttack = 0.5;          // share of a rise taken per block
    static constexpr double kRelease = 1.0 / 40.0;  // share of a fall taken per block (20 s)

    AutoLevel() { reset(); }

    // Forgets the level: the next block with signal sets it afresh.
    void reset();

    // Measures one block, updates the gain, then scales the block in place
    // (and clamps it at kClampLevel).
    void process(double* envelope, int samples);

    // The percentile of a block, in the block's own units (0 when silent).
    double measureBlock(const double* envelope, int samples);

    bool acquired() const { return acquired_; }
    double gain() const { return gain_; }
    double gainDb() const;

private:
    static constexpr int kBinsPerOctave = 16;
    static constexpr int kOctaves = 26;               // 2^-4 .. 2^22 counts
    static constexpr int kBins = kBinsPerOctave * kOctaves;
    static constexpr double kLowestLevel = 1.0 / 16.0;

    std::array<std::uint32_t, kBins> histogram_{};
    bool acquired_ = false;
    double log2Level_ = 0.0;   // the tracked white reading, log2 of counts
    double gain_ = 1.0;
};

}  // namespace sorae
