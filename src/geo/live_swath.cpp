#include "geo/live_swath.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "apt/word_phase.h"
#include "geo/orbit_source.h"
#include "orbit/element_choice.h"

namespace sorae {

std::vector<double> LiveRowTimes(const LineStore& store, int linesReceived, int rows, double startUnixSeconds,
                                 double secondsPerLine) {
    rows = std::clamp(rows, 0, kMaxLines);
    linesReceived = std::clamp(linesReceived, 0, rows);
    std::vector<double> times(std::size_t(rows), std::numeric_limits<double>::quiet_NaN());
    int firstTimed = -1, lastTimed = -1;
    for (int r = 0; r < linesReceived; ++r) {
        const double seconds = store.lineSeconds(r);
        if (!std::isfinite(seconds)) continue;
        times[std::size_t(r)] = startUnixSeconds + seconds;
        if (firstTimed < 0) firstTimed = r;
        // an untimed gap takes its times from the lines on either side
        for (int g = lastTimed + 1; lastTimed >= 0 && g < r; ++g)
            times[std::size_t(g)] = times[std::size_t(lastTimed)] +
                                    (times[std::size_t(r)] - times[std::size_t(lastTimed)]) * (g - lastTimed) / (r - lastTimed);
        lastTimed = r;
    }
    if (lastTimed < 0) {
        // nothing timed yet: every line where the line rate puts it from the start
        for (int r = 0; r < rows; ++r) times[std::size_t(r)] = startUnixSeconds + r * secondsPerLine;
        return times;
    }
    // Lines before the first timed one, and those to come after the last,
    // at the line rate from their nearest timed line.
    for (int r = 0; r < firstTimed; ++r)
        times[std::size_t(r)] = times[std::size_t(firstTimed)] - (firstTimed - r) * secondsPerLine;
    for (int r = lastTimed + 1; r < rows; ++r)
        times[std::size_t(r)] = times[std::size_t(lastTimed)] + (r - lastTimed) * secondsPerLine;
    return times;
}

LiveSwath::LiveSwath(OrbitAtTime orbit, GeoreferenceOffsets offsets, double startUnixSeconds, LiveSwathTiming timing)
    : orbit_(std::move(orbit)), offsets_(offsets), startUnixSeconds_(startUnixSeconds), timing_(timing) {}

std::optional<OrbitAtTime> LiveSwath::orbitFromElementFile(const std::string& elementFile,
                                                           const std::string& satellite, double passUnixSeconds,
                                                           std::string* message) {
    const ElementChoice choice = ChooseElementSetFromFile(elementFile, satellite, passUnixSeconds);
    if (message) message->clear();
    if (!choice.usable()) {
        if (message) *message = choice.message;
        return std::nullopt;
    }
    if (choice.status == ElementChoiceStatus::Distant && message) *message = "warning: " + choice.message;
    return OrbitFromPropagator(*choice.propagator);
}

bool LiveSwath::due(int linesReceived) const {
    if (builtAt_ < 0 || linesReceived < builtAt_) return true;
    // After a failed build, or with the whole store covered, only the refresh is due.
    if (rows_ == 0 || rows_ >= kMaxLines) return linesReceived - builtAt_ >= timing_.refreshLines;
    return linesReceived - builtAt_ >= timing_.refreshLines ||
           linesReceived + timing_.lookaheadLines / 2 > rows_;
}

std::optional<SwathGeolocation> LiveSwath::build(const LineStore& store, int linesReceived, std::string* error,
                                                 const LostBeforeLine& lostBefore) {
    linesReceived = std::clamp(linesReceived, 0, kMaxLines);
    const int rows = std::min(kMaxLines, std::max(linesReceived, 1) + timing_.lookaheadLines);
    SwathInputs in;
    in.orbit = orbit_;
    in.offsets = offsets_;
    in.turned = false;  // the live view's rows are the lines as received
    in.wordLeadWords = kDecodedWordLeadWords;
    in.rowUnixSeconds = LiveRowTimes(store, linesReceived, rows, startUnixSeconds_, timing_.secondsPerLine);
    // Rows to come follow the last received line, and what was lost before it.
    if (lostBefore)
        for (int r = 0; r < rows; ++r) in.rowUnixSeconds[std::size_t(r)] += lostBefore(std::max(0, std::min(r, linesReceived - 1)));
    auto swath = SwathGeolocation::build(in, error);
    // A failed build (rows_ 0) is not tried again before the next refresh.
    builtAt_ = linesReceived;
    rows_ = swath ? rows : 0;
    return swath;
}

}  // namespace sorae
