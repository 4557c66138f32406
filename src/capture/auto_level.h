// Automatic level: scales the 24 kHz envelope so that white reads where the
// line decoder, the telemetry and the picture code expect it (about 1530),
// whatever the level of the recording or the sound card.
//
// Once the line decoder knows where the lines start, the level is read
// from the parts of the line that do not depend on the scene: the two
// spaces beside the pictures, one of which is white on every line (space B,
// or space A on a minute marker's white lines) but the two black lines
// that begin each minute's marker. Those readings are smoothed over
// about half a minute, and the level jumps to a new reading only when the
// last few lines all agree that the signal's level has changed (a fade, a
// gain step), so bright cloud in the picture never moves it.
//
// Before that, and again after the lines have been lost for a while, the
// level comes from the 98th percentile of each block's envelope: each
// block is one line period, and every line holds white words (the sync
// pulses and a white space, about 4 % of the line), so the percentile
// falls on white whatever the picture shows, and a click of a few
// milliseconds does not move it. That reading is followed quickly when it
// rises (so a loud signal after a quiet start is not clipped for long) and
// slowly when it falls; silent blocks leave the level unchanged.
//
// The scaled envelope is clamped at 1.25 x white, so a click cannot raise
// the slicer threshold of the line decoder for a whole line. A coherent
// detector's output is linear in the subcarrier, noise and all: on a weak
// signal its noise reaches far past 1.25 x white, and clamping it there
// takes the upper tail off the noise of white words only, so white reads
// low against the mid greys (a bend no linear calibration removes). A
// chain whose slicer does not follow the block's peak sets a ceiling far
// above any noise it can still decode (kLinearCeiling), which only stops
// clicks.
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
    static constexpr double kLinearCeiling = 4.0 * kWhiteLevel;  // the ceiling for a linear detector
    static constexpr double kPercentile = 0.98;
    // What the percentile reads for a signal whose white is kWhiteLevel (the
    // envelope filter rounds the sync pulses off a little).
    static constexpr double kReferenceReading = 1530.0;
    static constexpr double kMinReading = 1.0;      // below: a silent block, measured as nothing
    static constexpr double kMaxGainDb = 60.0;
    static constexpr double kMinGainDb = -60.0;
    static constexpr double kAttack = 0.5;          // share of a rise taken per block
    static constexpr double kRelease = 1.0 / 40.0;  // share of a fall taken per block (20 s)

    // Reading the spaces: where they lie after the start of a line (24 kHz
    // samples, the edges left out so that a drifting line start does not
    // matter), how many readings start the tracking, how long the readings
    // are smoothed, how many lines must agree on a change and by how much.
    static constexpr int kSpaceAStart = 250, kSpaceBStart = 6250, kSpaceSamples = 220;
    static constexpr int kFirstReadings = 4;
    static constexpr double kSmoothingLines = 60.0;             // 30 s
    static constexpr int kChangeLines = 4;
    static constexpr int kMarkerWhiteLines = 2;   // after a dark reading, not smoothed in
    static_assert(kFirstReadings == kChangeLines, "the first readings start the tracking together");
    static constexpr double kChangeLog2 = 1.5 / 6.0206;         // 1.5 dB
    // Lines without a line start before the percentile takes over again.
    static constexpr int kLostLines = 60;

    AutoLevel() { reset(); }

    // Forgets the level: the next block with signal sets it afresh.
    void reset();

    // Measures one block, updates the gain, then scales the block in place
    // (and clamps it at the ceiling). lineStart: where the lines start in
    // the block (the line decoder's confirmed position), -1 when unknown.
    void process(double* envelope, int samples, int lineStart = -1);

    // The white of one line read from its spaces (block units; 0 when
    // silent); the block must be a full line period.
    static double spaceReading(const double* envelope, int samples, int lineStart);

    // The percentile of a block, in the block's own units (0 when silent).
    double measureBlock(const double* envelope, int samples);

    bool acquired() const { return acquired_; }
    // Whether the level follows the spaces (rather than the percentile).
    bool tracking() const { return tracking_; }
    double gain() const { return gain_; }
    double gainDb() const;

    // The ceiling of the scaled envelope, kClampLevel unless set; kept by
    // reset().
    void setCeiling(double level) { ceiling_ = level; }
    double ceiling() const { return ceiling_; }

private:
    static constexpr int kBinsPerOctave = 16;
    static constexpr int kOctaves = 26;               // 2^-4 .. 2^22 counts
    static constexpr int kBins = kBinsPerOctave * kOctaves;
    static constexpr double kLowestLevel = 1.0 / 16.0;

    void percentileStep(double reading);
    void spaceStep(double reading);

    std::array<std::uint32_t, kBins> histogram_{};
    bool tracking_ = false;
    std::array<double, kChangeLines> recent_{};   // log2 of the last space readings
    int readings_ = 0;                            // space readings since tracking (re)started
    int linesWithoutStart_ = 0;
    int linesSinceDark_ = kMarkerWhiteLines;
    bool acquired_ = false;
    double log2Level_ = 0.0;   // the tracked white reading, log2 of counts
    double gain_ = 1.0;
    double ceiling_ = kClampLevel;
};

}  // namespace sorae
