// The place on Earth of the live view while a pass comes in. Each received
// line is timed from its own sync (LineStore::lineSeconds, counted from the
// pass's first sample); lines still to come are predicted at the APT line
// rate from the last timed one, so the geometry runs a little ahead of the
// picture and is built again only every so many lines. No coast alignment:
// that waits for the finished pictures.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "geo/swath_geolocation.h"

namespace sorae {

struct LiveSwathTiming {
    int refreshLines = 20;        // build again after this many new lines (10 s of pass)
    int lookaheadLines = 40;      // rows predicted beyond the last line received
    double secondsPerLine = 0.5;  // the APT line rate
};

// UTC (Unix seconds) of rows 0..rows-1 of the live view, row r being store
// line r: a received line's own time where the store has it; between two
// timed lines, a time interpolated between them; before the first and after
// the last timed line (the lines still to come among them), a time at
// secondsPerLine from it; with no line timed yet, from the pass start.
// Every row gets a time.
std::vector<double> LiveRowTimes(const LineStore& store, int linesReceived, int rows, double startUnixSeconds,
                                 double secondsPerLine);

class LiveSwath {
public:
    LiveSwath(OrbitAtTime orbit, GeoreferenceOffsets offsets, double startUnixSeconds, LiveSwathTiming timing = {});

    // The orbit of `satellite` from the element file's set nearest
    // passUnixSeconds (SGP4); nothing, with the reason in *message, when the
    // file has no usable set. *message may also hold a warning.
    static std::optional<OrbitAtTime> orbitFromElementFile(const std::string& elementFile,
                                                           const std::string& satellite, double passUnixSeconds,
                                                           std::string* message);

    // Whether the geometry should be built again now that linesReceived
    // lines are in: nothing built yet, refreshLines lines since the last
    // build, the received lines near the end of the rows covered, or fewer
    // lines than at the last build (the store was started again).
    bool due(int linesReceived) const;
    // The geometry of the received lines and the predicted ones after them;
    // nothing (and *error) when the orbit does not reach the rows' times.
    // lostBefore: the seconds of the pass that the sound lost before a
    // stored line (a replayed recording with a gap), added to its time.
    using LostBeforeLine = std::function<double(int line)>;
    std::optional<SwathGeolocation> build(const LineStore& store, int linesReceived, std::string* error,
                                          const LostBeforeLine& lostBefore = {});

    double startUnixSeconds() const { return startUnixSeconds_; }
    int rowsCovered() const { return rows_; }          // of the last build, 0 before
    int linesAtLastBuild() const { return builtAt_; }  // -1 before the first

private:
    OrbitAtTime orbit_;
    GeoreferenceOffsets offsets_;
    double startUnixSeconds_;
    LiveSwathTiming timing_;
    int builtAt_ = -1;
    int rows_ = 0;
};

}  // namespace sorae
