#include "calibration/pass_telemetry.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "apt/wedge_frame_tracker.h"
#include "calibration/robust_mean.h"

namespace sorae {
namespace {

// The middle of the telemetry column, clear of the edges the line
// averaging blurs into the picture and the next sync.
constexpr int kTelemetryMiddleFirst = kTelemetryFirstWord + 3;
constexpr int kTelemetryMiddleWords = kTelemetryWords - 6;

double telemetryLevel(const LineLevels& store, int channel, int line) {
    double sum = 0.0;
    for (int w = 0; w < kTelemetryMiddleWords; ++w)
        sum += store.at(channel, kTelemetryMiddleFirst + w, line);
    return sum / kTelemetryMiddleWords;
}

ChannelFrame readChannel(const LineLevels& store, int channel, const WedgeLevels& wedges,
                         int firstLine) {
    ChannelFrame f;
    const int found = recogniseStaircase(wedges);
    if (found == kNoStaircase) return f;
    f.scale = LevelScale::fromWedges(wedges);
    if (!f.scale) return f;
    f.staircase = true;
    f.sensorWedge = found;
    for (int i = 0; i < 4; ++i) f.thermometerWords[i] = f.scale->word(wedges[9 + i]);
    f.backScanWord = f.scale->word(wedges[14]);
    f.backScanLevel = wedges[14];
    std::vector<double> space;
    space.reserve(WedgeFrameTracker::kLinesPerFrame);
    for (int i = 0; i < WedgeFrameTracker::kLinesPerFrame; ++i)
        if (!store.markerLine(firstLine + i)) space.push_back(SpaceLevel(store, channel, firstLine + i));
    if (space.empty()) return f;
    // readings within a word of each other are never outliers
    const double word = std::fabs(f.scale->level(255.0) - f.scale->level(0.0)) / 255.0;
    f.spaceMeanLevel = RobustMeanOf(space, word).mean;
    std::nth_element(space.begin(), space.begin() + space.size() / 2, space.end());
    f.spaceLevel = space[space.size() / 2];
    f.spaceWord = f.scale->word(f.spaceLevel);
    return f;
}

}  // namespace

double SpaceLevel(const LineLevels& store, int channel, int line) {
    constexpr int kEdge = 3;
    double sum = 0.0;
    for (int w = kSpaceFirstWord + kEdge; w < kSpaceFirstWord + kSpaceWords - kEdge; ++w)
        sum += store.at(channel, w, line);
    return sum / (kSpaceWords - 2 * kEdge);
}

double SpaceWordNoise(const LineLevels& store, int channel, int first, int last) {
    constexpr int kEdge = 3;
    constexpr int n = kSpaceWords - 2 * kEdge;
    // the median of a variance of n - 1 degrees of freedom over its mean
    constexpr double kMedianOfVariance = (1.0 - 2.0 / (9.0 * (n - 1))) * (1.0 - 2.0 / (9.0 * (n - 1))) *
                                         (1.0 - 2.0 / (9.0 * (n - 1)));
    std::vector<double> variances;
    variances.reserve(std::size_t(std::max(last - first + 1, 0)));
    for (int line = std::max(first, 0); line <= std::min(last, kMaxLines - 1); ++line) {
        double sum = 0.0, sum2 = 0.0;
        for (int w = kSpaceFirstWord + kEdge; w < kSpaceFirstWord + kSpaceWords - kEdge; ++w) {
            const double v = store.at(channel, w, line);
            sum += v;
            sum2 += v * v;
        }
        variances.push_back(std::max(0.0, sum2 - sum * sum / n) / (n - 1));
    }
    if (variances.empty()) return 0.0;
    std::nth_element(variances.begin(), variances.begin() + long(variances.size() / 2), variances.end());
    return std::sqrt(variances[variances.size() / 2] / kMedianOfVariance);
}

std::vector<TelemetryFrame> FindTelemetryFrames(const LineLevels& store, int first, int count) {
    std::vector<TelemetryFrame> frames;
    first = std::clamp(first, 0, kMaxLines);
    count = std::clamp(count, 0, kMaxLines - first);
    // The tracker keeps what it needs of the lines; a fresh one per pass.
    auto tracker = std::make_unique<WedgeFrameTracker>();
    for (int i = 0; i < count; ++i) {
        const int line = first + i;
        if (!tracker->addLine(telemetryLevel(store, 0, line), telemetryLevel(store, 1, line), true))
            continue;
        TelemetryFrame frame;
        frame.lastLine = line - int(tracker->linesSinceFrameEnd());
        frame.firstLine = frame.lastLine - WedgeFrameTracker::kLinesPerFrame + 1;
        for (int r = 0; r < 2; ++r)
            frame.channel[r] = readChannel(store, r, tracker->frame(r), frame.firstLine);
        frames.push_back(frame);
    }
    return frames;
}

}  // namespace sorae
