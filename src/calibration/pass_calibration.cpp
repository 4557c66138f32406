#include "calibration/pass_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "calibration/pass_telemetry.h"
#include "calibration/noisy_pixel_temperature.h"
#include "calibration/robust_mean.h"
#include "calibration/thermal_calibration.h"

namespace sorae {
namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();
// Readings of a wedge or of the space view that agree this closely (in
// 8-bit words) are never outliers of each other.
constexpr double kReadingFloorWords = 0.75;
// The scene's range is read from a histogram of 0.1 K steps, leaving out
// the coldest and warmest hundredth (single noisy words).
constexpr double kHistogramLowKelvin = 100.0;
constexpr double kHistogramStep = 0.1;
constexpr int kHistogramBins = 3000;
int histogramBin(double kelvin) {
    return std::clamp(int((kelvin - kHistogramLowKelvin) / kHistogramStep), 0, kHistogramBins - 1);
}
// Two sensors whose space views differ by this many words can be told apart
// line by line (a visible channel sees space dark, a thermal one bright).
constexpr double kSeparableSpaceWords = 40.0;

std::string format(const char* f, double a, double b = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, f, a, b);
    return text;
}

double medianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? std::numeric_limits<double>::quiet_NaN() : v[v.size() / 2];
}

// A run of frames of one channel that name the same sensor.
struct Run {
    int sensorWedge = 0;
    std::vector<int> frames;   // indices into the frame list
};

std::vector<Run> sensorRuns(const std::vector<TelemetryFrame>& frames, int channel) {
    std::vector<Run> runs;
    for (int i = 0; i < int(frames.size()); ++i) {
        const ChannelFrame& f = frames[i].channel[channel];
        if (!f.staircase || !ChannelOfSensorWedge(f.sensorWedge)) continue;
        if (runs.empty() || runs.back().sensorWedge != f.sensorWedge) runs.push_back({f.sensorWedge, {}});
        runs.back().frames.push_back(i);
    }
    // a lone frame naming another sensor between two runs of one is a misread
    for (std::size_t k = 1; k + 1 < runs.size();) {
        if (runs[k].frames.size() == 1 && runs[k - 1].sensorWedge == runs[k + 1].sensorWedge) {
            runs[k - 1].frames.insert(runs[k - 1].frames.end(), runs[k + 1].frames.begin(),
                                      runs[k + 1].frames.end());
            runs.erase(runs.begin() + long(k), runs.begin() + long(k) + 2);
        } else {
            ++k;
        }
    }
    return runs;
}

// The line where the sensor changed, between the end of one run (from) and
// the wedge 16 of the next (to), from the space view's level line by line.
int switchLine(const LineLevels& store, int channel, int from, int to,
                              double oldSpaceLevel, double newSpaceLevel) {
    if (to < from) return from;
    // best split: lines before it nearer the old level, from it on the new
    int bestSplit = from, bestScore = -1;
    std::vector<int> nearNew(std::size_t(to - from + 1));
    for (int line = from; line <= to; ++line) {
        const double s = SpaceLevel(store, channel, line);
        nearNew[line - from] = std::fabs(s - newSpaceLevel) < std::fabs(s - oldSpaceLevel);
    }
    int newAfter = 0;
    for (const int n : nearNew) newAfter += n;
    int oldBefore = 0;
    for (int split = from; split <= to + 1; ++split) {
        const int score = oldBefore + newAfter;
        if (score > bestScore) {
            bestScore = score;
            bestSplit = split;
        }
        if (split <= to) {
            oldBefore += !nearNew[split - from];
            newAfter -= nearNew[split - from];
        }
    }
    return bestSplit;
}

void calibrateSegment(CalibrationSegment& seg, const SatelliteCoefficients& sat,
                      const std::vector<TelemetryFrame>& frames, const Run& run, int channel,
                      bool afterSwitch, const PassCalibration& pass) {
    std::vector<LevelScale> scales;
    std::vector<double> space, backScan;
    for (std::size_t k = 0; k < run.frames.size(); ++k) {
        const ChannelFrame& f = frames[run.frames[k]].channel[channel];
        scales.push_back(*f.scale);
        // the first frame after a switch may show the old sensor's views
        if (afterSwitch && k == 0 && run.frames.size() > 1) continue;
        space.push_back(f.spaceMeanLevel);
        backScan.push_back(f.backScanLevel);
    }
    seg.frames = int(run.frames.size());
    // A thermal channel's temperatures depend only on where the scene lies
    // between the space and blackbody views, so on one straight scale for
    // all three the scale's own error cancels; the pieces of a median
    // staircase would each add the noise of their two wedges (0.03 K of
    // block error at 20 dB, 0.06 K at 10 dB, and half the pass's bias).
    // A chain that bends (an FM receiver's) keeps the staircase's pieces.
    if (sat.thermal(seg.channel)) seg.scale = LevelScale::straightLine(scales);
    if (!seg.scale) seg.scale = LevelScale::median(scales);
    if (!seg.scale) {
        seg.reason = std::string("channel ") + ChannelName(seg.channel) + ": no usable staircase";
        return;
    }
    seg.zeroLevel = seg.scale->zeroLevel();
    seg.whiteLevel = seg.scale->whiteLevel();
    const std::string name = std::string("channel ") + ChannelName(seg.channel);

    if (sat.thermal(seg.channel)) {
        if (!pass.blackbodyKnown) {
            seg.reason = name + ": the blackbody thermometers could not be read";
            return;
        }
        // averaged as levels and read on the scale the scene's words are
        // read with (the frames' own scales would each add their noise)
        const double floor = kReadingFloorWords * (seg.whiteLevel - seg.zeroLevel) / 255.0;
        const RobustMean s = RobustMeanOf(space, floor);
        const RobustMean b = RobustMeanOf(backScan, floor);
        seg.rejectedReadings = s.rejected + b.rejected;
        seg.spaceCount = CountOfWord(seg.scale->word(s.mean));
        seg.blackbodyCount = CountOfWord(seg.scale->word(b.mean));
        if (!(seg.spaceCount > seg.blackbodyCount)) {
            seg.reason = name + format(": the space view (%.0f counts) is not colder than the "
                                       "blackbody (%.0f counts)",
                                       seg.spaceCount, seg.blackbodyCount);
            return;
        }
        seg.quantity = CalibratedQuantity::Kelvin;
    } else if (sat.visible(seg.channel)) {
        seg.quantity = CalibratedQuantity::AlbedoPercent;
    } else {
        seg.reason = name + " of " + sat.name +
                     ": no published pre-launch coefficients; left as grey levels";
    }
}

}  // namespace

bool ChannelCalibration::hasKelvin() const {
    return std::find(rowQuantity.begin(), rowQuantity.end(), CalibratedQuantity::Kelvin) !=
           rowQuantity.end();
}

bool ChannelCalibration::hasAlbedo() const {
    return std::find(rowQuantity.begin(), rowQuantity.end(), CalibratedQuantity::AlbedoPercent) !=
           rowQuantity.end();
}

float ChannelCalibration::at(int column, int row) const {
    if (column < 0 || column >= kImageWords || row < 0 || row >= int(rowQuantity.size()))
        return kNoValue;
    return values[std::size_t(row) * kImageWords + std::size_t(column)];
}

PassCalibration CalibratePass(const CalibrationInputs& in) {
    PassCalibration pass;
    pass.satellite = in.satellite;
    pass.direction = in.direction;
    pass.firstLine = std::clamp(in.firstLine, 0, kMaxLines);
    pass.rows = std::clamp(in.rows, 0, kMaxLines - pass.firstLine);
    for (ChannelCalibration& c : pass.channel) {
        c.values.assign(std::size_t(pass.rows) * kImageWords, kNoValue);
        c.rowQuantity.assign(std::size_t(pass.rows), CalibratedQuantity::None);
        c.grey.assign(std::size_t(pass.rows) * kImageWords, 0);
    }
    auto fail = [&](const std::string& why) {
        pass.reason = why;
        for (ChannelCalibration& c : pass.channel) c.reason = why;
        return pass;
    };

    const SatelliteCoefficients* sat = CoefficientsFor(in.satellite);
    if (!sat)
        return fail(in.satellite.empty()
                        ? "no satellite named; calibration needs NOAA 15, 18 or 19"
                        : "no calibration coefficients for " + in.satellite +
                              " (known: NOAA 15, 18 and 19)");
    pass.satellite = sat->name;
    if (!in.store) return fail("no decoded lines");
    const LineLevels store(*in.store, pass.firstLine, pass.rows, in.automaticLevel);
    pass.lineGainShrink = store.shrink();

    const std::vector<TelemetryFrame> frames = FindTelemetryFrames(store, pass.firstLine, pass.rows);
    // the frame search reads a frame again at each lesser contrast peak
    // near it; only reads whose staircase was recognised are frames
    pass.frames = int(std::count_if(frames.begin(), frames.end(), [](const TelemetryFrame& f) {
        return f.channel[0].staircase || f.channel[1].staircase;
    }));
    if (pass.frames == 0)
        return fail(format("no telemetry frame in %.0f lines (a frame takes 128)", pass.rows));

    // the four thermometers, from both channels' frames
    for (int i = 0; i < 4; ++i) {
        std::vector<double> words;
        for (const TelemetryFrame& f : frames)
            for (const ChannelFrame& c : f.channel)
                if (c.staircase) words.push_back(c.thermometerWords[i]);
        const RobustMean m = RobustMeanOf(words, kReadingFloorWords);
        pass.thermometerReadingsRejected += m.rejected;
        pass.thermometerKelvin[i] = ThermometerTemperature(sat->thermometers[i], CountOfWord(m.mean));
    }
    if (std::all_of(pass.thermometerKelvin.begin(), pass.thermometerKelvin.end(),
                    [](double t) { return std::isfinite(t); })) {
        pass.blackbodyKnown = true;
        double sum = 0.0, weights = 0.0;
        for (int i = 0; i < 4; ++i) {
            sum += sat->thermometerWeights[i] * pass.thermometerKelvin[i];
            weights += sat->thermometerWeights[i];
        }
        pass.blackbodyKelvin = sum / weights;
        const auto [lo, hi] =
            std::minmax_element(pass.thermometerKelvin.begin(), pass.thermometerKelvin.end());
        pass.thermometerSpreadKelvin = *hi - *lo;
    }

    const int endLine = pass.firstLine + pass.rows - 1;
    for (int r = 0; r < 2; ++r) {
        ChannelCalibration& out = pass.channel[r];
        const std::vector<Run> runs = sensorRuns(frames, r);
        if (runs.empty()) {
            out.reason = frames.size() == 1 ? "the only telemetry frame names no sensor"
                                             : "no telemetry frame names this channel's sensor";
            continue;
        }
        for (std::size_t k = 0; k < runs.size(); ++k) {
            CalibrationSegment seg;
            seg.channel = *ChannelOfSensorWedge(runs[k].sensorWedge);
            calibrateSegment(seg, *sat, frames, runs[k], r, k > 0, pass);
            seg.firstLine = k == 0 ? pass.firstLine : -1;
            seg.lastLine = k + 1 == runs.size() ? endLine : -1;
            out.segments.push_back(seg);
        }
        // where one sensor gave way to the next
        for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
            const int from = frames[runs[k].frames.back()].lastLine + 1;
            const int to = frames[runs[k + 1].frames.front()].lastLine - 8;
            CalibrationSegment& a = out.segments[k];
            CalibrationSegment& b = out.segments[k + 1];
            // the space levels of both, from their frames
            std::vector<double> levelsA, levelsB;
            for (const int i : runs[k].frames) {
                const ChannelFrame& f = frames[i].channel[r];
                levelsA.push_back(f.spaceLevel);
            }
            for (const int i : runs[k + 1].frames) {
                const ChannelFrame& f = frames[i].channel[r];
                levelsB.push_back(f.spaceLevel);
            }
            const double oldLevel = medianOf(levelsA), newLevel = medianOf(levelsB);
            const double wordStep = (a.whiteLevel - a.zeroLevel) / 255.0;
            if (std::fabs(newLevel - oldLevel) > kSeparableSpaceWords * std::fabs(wordStep)) {
                const int split = switchLine(store, r, from, to, oldLevel, newLevel);
                a.lastLine = split - 1;
                b.firstLine = split;
            } else {
                // no telling where in between: those lines stay unknown
                a.lastLine = from - 1;
                b.firstLine = to + 1;
            }
        }

        // the values, row by row in the picture's orientation
        // the scene's range without its most extreme words (noise spikes)
        std::vector<long> histogram(kHistogramBins, 0);
        for (CalibrationSegment& seg : out.segments) {
            if (seg.quantity == CalibratedQuantity::None) {
                if (!out.reason.empty()) out.reason += "; ";
                out.reason += seg.reason;
            }
            if (!seg.scale) continue;
            std::optional<NoisyPixelTemperature> thermal;
            const VisibleChannelCoefficients* visible = nullptr;
            const int segFirst = std::max(seg.firstLine, pass.firstLine), segLast = std::min(seg.lastLine, endLine);
            if (seg.quantity == CalibratedQuantity::Kelvin) {
                // the noise of one word, in counts: the space view's scatter
                // through the scale where the space view lies
                const double space = seg.scale->level((seg.spaceCount - 1.5) / 4.0);
                const double noise = SpaceWordNoise(store, r, segFirst, segLast);
                seg.noiseWords = std::fabs(seg.scale->word(space + noise) - seg.scale->word(space - noise)) / 2.0;
                if (const auto c = ThermalCalibration::make(*sat->thermal(seg.channel), pass.blackbodyKelvin,
                                                            seg.spaceCount, seg.blackbodyCount))
                    thermal.emplace(*c, 4.0 * seg.noiseWords);
            } else if (seg.quantity == CalibratedQuantity::AlbedoPercent)
                visible = sat->visible(seg.channel);
            const CalibratedQuantity quantity =
                thermal ? CalibratedQuantity::Kelvin
                        : visible ? CalibratedQuantity::AlbedoPercent : CalibratedQuantity::None;
            const LevelScale& scale = *seg.scale;
            for (int line = segFirst; line <= segLast; ++line) {
                const int row = in.direction == 1 ? endLine - line : line - pass.firstLine;
                out.rowQuantity[row] = quantity;
                float* values = out.values.data() + std::size_t(row) * kImageWords;
                std::uint8_t* grey = out.grey.data() + std::size_t(row) * kImageWords;
                for (int c = 0; c < kImageWords; ++c) {
                    const int word = in.direction == 1 ? kImageFirstWord + kImageWords - 1 - c
                                                       : kImageFirstWord + c;
                    const double w = scale.word(store.at(r, word, line));
                    grey[c] = std::uint8_t(std::clamp(std::lround(w), 0L, 255L));
                    const double count = CountOfWord(w);
                    double v;
                    if (thermal) {
                        v = (*thermal)(count);
                        if (std::isfinite(v)) ++histogram[histogramBin(v)];
                    } else if (visible) {
                        v = count <= visible->breakCount
                                ? visible->lowSlope * count + visible->lowIntercept
                                : visible->highSlope * count + visible->highIntercept;
                    } else {
                        continue;
                    }
                    values[c] = float(v);
                }
            }
        }
        long total = 0;
        for (const long n : histogram) total += n;
        if (total > 0) {
            const long tail = total / 100;
            long below = 0;
            int lo = 0, hi = kHistogramBins - 1;
            while (below + histogram[std::size_t(lo)] <= tail && lo < hi) below += histogram[std::size_t(lo++)];
            long above = 0;
            while (above + histogram[std::size_t(hi)] <= tail && hi > lo) above += histogram[std::size_t(hi--)];
            out.minKelvin = kHistogramLowKelvin + lo * kHistogramStep;
            out.maxKelvin = kHistogramLowKelvin + (hi + 1) * kHistogramStep;
        }
    }
    return pass;
}

}  // namespace sorae
