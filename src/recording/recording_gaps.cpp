#include "recording/recording_gaps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "apt/minute_markers.h"
#include "apt/wedge_frame_tracker.h"
#include "recording/telemetry_frame_phase.h"

namespace sorae {

namespace {

constexpr double kLineSeconds = 0.5;
// Lines on one beat agree on their sync this closely: the sync of
// consecutive lines differs by a sample or two of the 24 kHz envelope
// (0.1 ms) even at a signal's RMS of noise, while a recorder that drops a
// USB buffer loses a few milliseconds.
constexpr double kSameBeatSeconds = 0.002;
// A new beat counts once this many lines after its first keep it; a line
// off the beat by itself (noise taken for the sync) is no gap.
constexpr int kPersistLines = 8;
// A gap may have lost this little less than nothing (timing jitter).
constexpr double kLostTolerance = 0.02;

constexpr int kLinesPerFrame = WedgeFrameTracker::kLinesPerFrame;
constexpr int kLinesPerMinute = MinuteMarkers::kLinesPerMinute;
// Frame edges that disagree by this few lines the wrong way are taken as
// read a line off, not as most of a minute lost.
constexpr int kEdgeUncertaintyLines = 2;
// Lines whose first words correlate less with sync A are not on the beat.
constexpr double kMinSyncLikeness = 0.5;
// Less is no gap worth telling (the beat moved by whole lines).
constexpr double kLeastGapSeconds = 0.002;

struct Beat {
    int first = 0;
    int last = 0;
    double startPhase = 0.0;  // sync time less half a second a line, at its first line
    double endPhase = 0.0;    // and at its last
};

// How much the first words of a stored line look like sync A: 3 low
// words, seven pulses of 2 high and 2 low, 8 low (the correlation with
// that pattern). A line cut from noise, before the pass came up or in a
// fade, shows none; its time says nothing of the beat.
double SyncALikeness(const LineStore& store, int line) {
    static const std::vector<double> pattern = [] {
        std::vector<double> p(39, 0.0);
        for (int pulse = 0; pulse < 7; ++pulse) p[std::size_t(3 + 4 * pulse)] = p[std::size_t(4 + 4 * pulse)] = 1.0;
        return p;
    }();
    std::vector<double> words(pattern.size());
    for (std::size_t w = 0; w < words.size(); ++w) words[w] = store.at(0, int(w), line);
    return PearsonCorrelation(words, pattern);
}

std::vector<Beat> Beats(const LineStore& store, int lines) {
    std::vector<double> phase(std::size_t(lines), NAN);
    for (int j = 0; j < lines; ++j) {
        const double t = store.lineSeconds(j);
        if (std::isfinite(t) && SyncALikeness(store, j) >= kMinSyncLikeness) phase[std::size_t(j)] = t - kLineSeconds * j;
    }
    std::vector<Beat> beats;
    for (int j = 0; j < lines; ++j) {
        const double p = phase[std::size_t(j)];
        if (!std::isfinite(p)) continue;
        if (beats.empty()) {
            beats.push_back({j, j, p, p});
            continue;
        }
        Beat& beat = beats.back();
        if (std::fabs(p - beat.endPhase) <= kSameBeatSeconds) {
            beat.last = j;
            beat.endPhase = p;   // follows a clock a little off
            continue;
        }
        int seen = 0, agree = 0;
        for (int k = j + 1; k < lines && seen < kPersistLines; ++k) {
            const double q = phase[std::size_t(k)];
            if (!std::isfinite(q)) continue;
            ++seen;
            if (std::fabs(q - p) <= kSameBeatSeconds) ++agree;
        }
        if (seen == kPersistLines && agree == kPersistLines) beats.push_back({j, j, p, p});
    }
    // Each beat's phase at its ends from a few lines, not one: the sync
    // of a single line jitters by a sample.
    auto median = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    for (Beat& beat : beats) {
        std::vector<double> head, tail;
        for (int j = beat.first; j <= beat.last && int(head.size()) < kPersistLines; ++j)
            if (std::isfinite(phase[std::size_t(j)])) head.push_back(phase[std::size_t(j)]);
        for (int j = beat.last; j >= beat.first && int(tail.size()) < kPersistLines; --j)
            if (std::isfinite(phase[std::size_t(j)])) tail.push_back(phase[std::size_t(j)]);
        beat.startPhase = median(head);
        beat.endPhase = median(tail);
    }
    return beats;
}

// The whole lines lost beyond the fewest the beat allows, from what the
// telemetry frames (modulo 128 lines) and the minute markers (modulo 120)
// on both sides of the gap say; together they tell up to 1920 lines (16
// minutes), either alone up to its own period. A frame edge read a line or
// two early on one side would make most of a period of it; that is taken
// as the edge's uncertainty, and nothing is told. Where frames and markers
// disagree (an edge misread, a line lost unseen), nothing is told either.
std::optional<int> WholeLinesBeyond(std::optional<int> frame, std::optional<int> minute) {
    auto plausible = [](int m, int period) { return m < period - kEdgeUncertaintyLines; };
    if (frame && minute) {
        for (int m = *frame; m < kLinesPerFrame * kLinesPerMinute / 8; m += kLinesPerFrame)
            if (m % kLinesPerMinute == *minute) return m;
        return std::nullopt;
    }
    if (frame && plausible(*frame, kLinesPerFrame)) return frame;
    if (minute && plausible(*minute, kLinesPerMinute)) return minute;
    return std::nullopt;
}

}  // namespace

std::vector<RecordingGap> FindRecordingGaps(const LineStore& store) {
    const int lines = std::clamp(store.lineCount, 0, kMaxLines);
    const std::vector<Beat> beats = Beats(store, lines);
    std::vector<RecordingGap> gaps;
    if (beats.size() < 2) return gaps;
    const std::vector<double> level = TelemetryLevels(store, lines);
    const MinuteMarkers markers = FindMinuteMarkers(store, 0, lines);

    // The frame's and the minute's phase in the satellite's line numbers:
    // a stored line's number plus the lines lost before it.
    std::optional<int> satelliteFrame, satelliteMinute;
    if (const auto p = TelemetryFramePhase(level, beats[0].first, beats[0].last)) satelliteFrame = *p;
    if (const auto p = MinutePhase(markers, beats[0].first, beats[0].last)) satelliteMinute = *p;
    int linesLost = 0;
    for (std::size_t b = 1; b < beats.size(); ++b) {
        // The beat moved by `step`; what was lost is that, less whole lines.
        const double step = beats[b].startPhase - beats[b - 1].endPhase;
        const int fewest = int(std::ceil((step - kLostTolerance) / kLineSeconds));
        // The whole lines lost beyond the fewest, modulo a frame and
        // modulo a minute, where both sides tell them.
        auto more = [&](const std::optional<int>& before, const std::optional<int>& after, int period) {
            std::optional<int> m;
            if (before && after) m = ((*before - *after - linesLost - fewest) % period + period) % period;
            return m;
        };
        const std::optional<int> frame = TelemetryFramePhase(level, beats[b].first, beats[b].last);
        const std::optional<int> minute = MinutePhase(markers, beats[b].first, beats[b].last);
        const std::optional<int> extra =
            WholeLinesBeyond(more(satelliteFrame, frame, kLinesPerFrame), more(satelliteMinute, minute, kLinesPerMinute));
        const int lost = fewest + extra.value_or(0);
        const bool whole = extra.has_value();
        linesLost += lost;
        if (frame && !satelliteFrame) satelliteFrame = (*frame + linesLost) % kLinesPerFrame;
        if (minute && !satelliteMinute) satelliteMinute = (*minute + linesLost) % kLinesPerMinute;
        const double seconds = std::max(0.0, kLineSeconds * lost - step);
        // Whole blocks a live capture lost are timed already: its beat moves
        // by whole lines, and nothing is left to add.
        if (seconds >= kLeastGapSeconds) gaps.push_back({beats[b].first, seconds, whole});
    }
    return gaps;
}

double SecondsLostBefore(const std::vector<RecordingGap>& gaps, int line) {
    double lost = 0.0;
    for (const RecordingGap& g : gaps)
        if (g.line <= line) lost += g.lostSeconds;
    return lost;
}

void TimeLinesAcrossGaps(LineStore& store, const std::vector<RecordingGap>& gaps) {
    const int lines = std::clamp(store.lineCount, 0, kMaxLines);
    for (int j = 0; j < lines; ++j) {
        const double t = store.lineSeconds(j);
        const double added = SecondsLostBefore(gaps, j);
        if (std::isfinite(t) && added > 0.0) store.setLineSeconds(j, t + added);
    }
}

std::string RecordingGapsText(const std::vector<RecordingGap>& gaps) {
    // The first few each on a line; many (a recorder that kept dropping
    // buffers) in one line more.
    constexpr std::size_t kListed = 3;
    std::string text;
    for (std::size_t i = 0; i < gaps.size() && i < kListed; ++i) {
        const RecordingGap& g = gaps[i];
        char line[240];
        if (g.whole)
            std::snprintf(line, sizeof line,
                          "lost from the recording: %.3f s before line %d (the whole lines told by the "
                          "telemetry frames and minute markers); the lines after it are timed with it added\n",
                          g.lostSeconds, g.line);
        else
            std::snprintf(line, sizeof line,
                          "lost from the recording: at least %.3f s before line %d, perhaps whole half-seconds "
                          "more (no telemetry frame or minute marker on both sides to tell); the lines after it are timed with "
                          "%.3f s added\n",
                          g.lostSeconds, g.line, g.lostSeconds);
        text += line;
    }
    if (gaps.size() > kListed) {
        double more = 0.0;
        for (std::size_t i = kListed; i < gaps.size(); ++i) more += gaps[i].lostSeconds;
        char line[160];
        const std::size_t rest = gaps.size() - kListed;
        std::snprintf(line, sizeof line, "lost from the recording: %zu more gap%s, %.3f s in all, up to line %d\n",
                      rest, rest == 1 ? "" : "s", more, gaps.back().line);
        text += line;
    }
    return text;
}

}  // namespace sorae
