#include "capture/auto_level.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace sorae {

namespace {

// The top 16 bits of a positive double (sign, exponent, 4 mantissa bits)
// grow with its value: 16 bins an octave without a log.
std::uint32_t logKey(double v) { return std::uint32_t(std::bit_cast<std::uint64_t>(v) >> 48); }

}  // namespace

void AutoLevel::reset() {
    acquired_ = false;
    tracking_ = false;
    readings_ = 0;
    linesWithoutStart_ = 0;
    linesSinceDark_ = kMarkerWhiteLines;
    log2Level_ = std::log2(kReferenceReading);
    gain_ = 1.0;
}

double AutoLevel::gainDb() const { return 20.0 * std::log10(gain_); }

double AutoLevel::measureBlock(const double* envelope, int samples) {
    histogram_.fill(0);
    const std::uint32_t base = logKey(kLowestLevel);
    // Every second sample: the envelope is band-limited to about 2 kHz, so
    // nothing is lost at 12 kHz, and the measurement costs half as much.
    int counted = 0;
    for (int i = 0; i < samples; i += 2) {
        const double v = envelope[i] > kLowestLevel ? envelope[i] : kLowestLevel;  // NaN too
        const std::uint32_t bin = std::min<std::uint32_t>(logKey(v) - base, kBins - 1);
        ++histogram_[bin];
        ++counted;
    }
    if (counted == 0) return 0.0;

    // Walk down from the top until the share above the percentile is found,
    // then interpolate within that bin. The 16 bins of an octave split it
    // linearly (they are the top mantissa bits).
    const double above = (1.0 - kPercentile) * counted;
    double seen = 0.0;
    for (int bin = kBins - 1; bin > 0; --bin) {
        const double n = histogram_[std::size_t(bin)];
        if (seen + n >= above && n > 0) {
            const double within = (above - seen) / n;  // 0 = top edge of the bin
            const double octave = kLowestLevel * std::exp2(bin / kBinsPerOctave);
            const double step = octave / kBinsPerOctave;
            const double top = octave + step * (bin % kBinsPerOctave + 1);
            return top - within * step;
        }
        seen += n;
    }
    return 0.0;  // the percentile lies in the lowest bin: silence
}

double AutoLevel::spaceReading(const double* envelope, int samples, int lineStart) {
    if (samples <= 0 || lineStart < 0) return 0.0;
    auto meanFrom = [&](int start) {
        double sum = 0.0;
        for (int k = 0; k < kSpaceSamples; ++k) {
            const double v = envelope[(lineStart + start + k) % samples];
            sum += v == v ? v : 0.0;
        }
        return sum / kSpaceSamples;
    };
    return std::max(meanFrom(kSpaceAStart), meanFrom(kSpaceBStart));
}

void AutoLevel::percentileStep(double reading) {
    if (reading < kMinReading) return;
    const double log2Reading = std::log2(reading);
    if (!acquired_) {
        log2Level_ = log2Reading;
        acquired_ = true;
    } else {
        const double share = log2Reading > log2Level_ ? kAttack : kRelease;
        log2Level_ += share * (log2Reading - log2Level_);
    }
}

void AutoLevel::spaceStep(double reading) {
    if (reading < kMinReading) return;   // a silent line says nothing of the level
    const double r = std::log2(reading);
    recent_[std::size_t(readings_ % kChangeLines)] = r;
    ++readings_;
    if (!tracking_) {
        if (readings_ < kFirstReadings) return;
        // The upper median of the first readings starts the tracking: a
        // minute marker darkens both spaces for two lines, and the plain
        // median of four readings two of which are that dark would start
        // the level half-way between.
        std::array<double, kChangeLines> sorted = recent_;
        std::sort(sorted.begin(), sorted.end());
        log2Level_ = sorted[kFirstReadings / 2];
        tracking_ = true;
        acquired_ = true;
        return;
    }
    // A change of the signal's level: the last few lines all lie well
    // away from the level, on the same side. Then the level jumps to them.
    if (readings_ >= kChangeLines) {
        int above = 0, below = 0;
        for (double v : recent_) {
            above += v > log2Level_ + kChangeLog2;
            below += v < log2Level_ - kChangeLog2;
        }
        if (above == kChangeLines || below == kChangeLines) {
            std::array<double, kChangeLines> sorted = recent_;
            std::sort(sorted.begin(), sorted.end());
            log2Level_ = (sorted[kChangeLines / 2 - 1] + sorted[kChangeLines / 2]) / 2.0;
            return;
        }
    }
    // Otherwise the reading is smoothed in, unless it lies far off (a
    // minute marker's black lines, whose spaces both read dark, or a change
    // that the next lines will confirm) or follows such a dark line closely
    // (a marker's white lines, a little brighter than the thermal
    // channel's space).
    const bool dark = r < log2Level_ - kChangeLog2;
    if (dark) linesSinceDark_ = 0;
    else if (linesSinceDark_ < kMarkerWhiteLines) ++linesSinceDark_;
    else if (std::abs(r - log2Level_) <= kChangeLog2) log2Level_ += (r - log2Level_) / kSmoothingLines;
}

void AutoLevel::process(double* envelope, int samples, int lineStart) {
    if (lineStart >= 0) {
        linesWithoutStart_ = 0;
        spaceStep(spaceReading(envelope, samples, lineStart));
        if (!tracking_) percentileStep(measureBlock(envelope, samples));
    } else if (tracking_ && ++linesWithoutStart_ <= kLostLines) {
        // Lines lost for a moment (a drop-out, a burst of noise): the level holds.
    } else {
        tracking_ = false;
        readings_ = 0;
        percentileStep(measureBlock(envelope, samples));
    }
    if (acquired_) {
        const double gainDb = std::clamp(20.0 * std::log10(kReferenceReading) -
                                             20.0 * std::log10(2.0) * log2Level_,
                                         kMinGainDb, kMaxGainDb);
        gain_ = std::pow(10.0, gainDb / 20.0);
    }
    const double g = gain_, ceiling = ceiling_;
    for (int i = 0; i < samples; ++i) envelope[i] = std::min(envelope[i] * g, ceiling);
}

}  // namespace sorae
