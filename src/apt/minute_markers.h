// The minute markers among the stored lines. Every minute of the
// satellite's clock (every 120 lines) the space words of both channels read
// black for two lines, then white for two. The space view of the thermal
// channel is otherwise white on every line, so its black pair, both spaces
// dark at once, is the mark that can be told on any pass, day or night; the
// white pair after it is the same white as the space it stands in, but a
// little brighter, and must not be read as the space.
#pragma once

#include <optional>
#include <vector>

#include "apt/line_store.h"

namespace sorae {

struct MinuteMarkers {
    static constexpr int kLinesPerMinute = 120;
    static constexpr int kBlackLines = 2;
    static constexpr int kMarkerLines = 4;

    // Per stored line from `first` on: part of a marker (its black lines
    // and the two after them). A line lost to a fade, both spaces dark, is
    // taken for one too: nothing read from the space is lost by leaving it
    // out.
    std::vector<bool> marked;
    // The first black line of each marker, as stored line numbers.
    std::vector<int> starts;
    int first = 0;

    bool isMarked(int line) const {
        const int i = line - first;
        return i >= 0 && i < int(marked.size()) && marked[std::size_t(i)];
    }
};

// The markers in stored lines first..first+count-1 (the store's levels as
// decoded: the level of the white space may drift over the pass).
MinuteMarkers FindMinuteMarkers(const LineStore& store, int first, int count);

// Where the minute begins among stored lines from..to, modulo 120: the line
// the markers found there start on, when they all agree; nothing when none
// lies there or they disagree (lines lost between them).
std::optional<int> MinutePhase(const MinuteMarkers& markers, int from, int to);

}  // namespace sorae
