// The levels of a pass's stored lines with the line-to-line wobble of the
// receiving gain taken out. An automatic level that follows each line's
// brightest words moves the gain of single lines by a percent or two, which
// would move temperatures by a kelvin; the space view of the channel that
// sees space brightest is constant along a sensor's stretch, so its level
// on each line, against the running median of its neighbours, measures that
// line's gain. Where the gain is steady (set by hand, or by the automatic
// level, which is read from the spaces and smoothed) the correction would
// only add the noise of the space words: so it is shrunk by how much of the
// wobble that noise explains. Minute-marker lines (both spaces black, then
// both white) keep their gain.
#pragma once

#include <vector>

#include "apt/line_store.h"
#include "apt/minute_markers.h"

namespace sorae {

class LineLevels {
public:
    // levelFollowsLines: an automatic level set the gain. Kept for the
    // callers; the correction is measured the same way either way.
    LineLevels(const LineStore& store, int firstLine, int count, bool levelFollowsLines);

    double at(int channel, int word, int line) const {
        return store_.at(channel, word, line) * factor(line);
    }
    double factor(int line) const {
        const int i = line - first_;
        return i >= 0 && i < int(factor_.size()) ? factor_[std::size_t(i)] : 1.0;
    }
    // How much of the space view's wobble was taken for gain (0..1).
    double shrink() const { return shrink_; }
    const LineStore& store() const { return store_; }
    // Whether the line's spaces show a minute marker rather than the views
    // of space.
    bool markerLine(int line) const { return markers_.isMarked(line); }

private:
    const LineStore& store_;
    int first_;
    std::vector<double> factor_;
    MinuteMarkers markers_;
    double shrink_ = 0.0;
};

}  // namespace sorae
