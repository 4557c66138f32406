#include "map/ground_track_path.h"

#include <cstdlib>

namespace sorae {

std::vector<TrackLine> GroundTrackPath::add(const ProjectedPoint& p) {
    std::vector<TrackLine> out;
    if (!p.visible) return out;
    if (!started_) {
        started_ = true;
        firstX_ = p.x;
        firstY_ = p.y;
    } else if (std::abs(prevX_ - p.x) < width_ / 2) {
        out.push_back({prevX_, prevY_, p.x, p.y});
    } else if (p.x > prevX_) {
        // Left the map westward over the left edge, back in at the right.
        out.push_back({prevX_, prevY_, p.x - width_, p.y});
        out.push_back({prevX_ + width_, prevY_, p.x, p.y});
    } else {
        // Left the map eastward over the right edge, back in at the left.
        out.push_back({prevX_, prevY_, p.x + width_, p.y});
        out.push_back({prevX_ - width_, prevY_, p.x, p.y});
    }
    prevX_ = p.x;
    prevY_ = p.y;
    return out;
}

}  // namespace sorae
