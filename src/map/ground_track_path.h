// Turns the projected points of a flat-map ground track into line pieces,
// splitting the track where it leaves one side edge of the map and comes
// back at the other.
#pragma once

#include <vector>

#include "map/map_projection.h"

namespace sorae {

struct TrackLine {
    int x0, y0, x1, y1;
};

class GroundTrackPath {
public:
    explicit GroundTrackPath(int mapWidth) : width_(mapWidth) {}

    // Adds the next point of the track and returns the pieces to draw for
    // it (none for the first point, one or two later). Points that are not
    // visible are skipped entirely.
    std::vector<TrackLine> add(const ProjectedPoint& p);

    bool started() const { return started_; }
    int firstX() const { return firstX_; }
    int firstY() const { return firstY_; }

private:
    int width_;
    bool started_ = false;
    int prevX_ = 0, prevY_ = 0;
    int firstX_ = 0, firstY_ = 0;
};

}  // namespace sorae
