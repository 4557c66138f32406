// Coastlines, borders and a latitude/longitude grid traced into a pass
// picture's own geometry: each line of the world outline and each grid line
// is walked in small steps, every step projected onto the picture, and the
// line is cut where it leaves the swath or where two neighbouring steps land
// far apart (a wrap of the projection, such as a picture laid out in plain
// longitude meeting the 180th meridian). Where a line leaves the swath its
// end is moved onto the edge by bisection, so lines reach the picture's
// border. The result is a list of polylines and grid labels in picture
// coordinates that a painter draws over the picture.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geo/swath_footprint.h"
#include "geo/swath_geolocation.h"
#include "geo/world_outline.h"

namespace sorae {

using GroundToPicture = std::function<std::optional<PicturePoint>(GeoPoint)>;

enum class OverlayLineKind { Coast, Border, Grid };

struct OverlayPolyline {
    OverlayLineKind kind = OverlayLineKind::Coast;
    std::vector<PicturePoint> points;  // at least two
};

struct OverlayLabel {
    PicturePoint at;   // the grid line's point nearest the picture's left or top edge
    std::string text;  // "35°N", "140°E", "0°", "180°"
    bool parallel = false;  // a latitude line (else a meridian)
};

struct PictureOverlay {
    std::vector<OverlayPolyline> lines;
    std::vector<OverlayLabel> labels;
    double gridStepDeg = 0.0;  // 0 when no grid was drawn

    bool empty() const { return lines.empty(); }
};

struct OverlayOptions {
    int columns = kImageWords;  // the picture's extent in its own coordinates
    int rows = 0;
    double stepDeg = 0.2;     // longest step along a line between two projections
    double jumpPixels = 0.0;  // a step landing further apart cuts the line; 0: columns / 4
    int edgeBisections = 8;   // steps that move a line's end onto the swath edge
    bool coasts = true;
    bool borders = true;
    bool grid = true;
    double gridStepDeg = 0.0;  // 0: chosen from the swath's extent
};

// A line of the world outline to trace: a polygon ring closed on itself, or
// a border as it is.
struct OutlineTraceLine {
    OverlayLineKind kind = OverlayLineKind::Coast;
    std::vector<GeoPoint> points;  // at least two
};

// The outline's rings closed and cut where they run along the 180th meridian
// or a pole line (the data's own cuts of the world, not shores), and its
// borders. Computed once per outline.
std::vector<OutlineTraceLine> OutlineTraceLines(const WorldOutline& outline);

// The grid spacing for a picture of this extent (see SwathFootprint):
// 10 degrees for a long pass, 5 for a medium one, 2 for a short one.
double GridStepForExtent(double extentDeg);

// Text of a grid label: "35°N", "12.5°S", "140°E", "0°", "180°".
std::string GridLabelText(double degrees, bool latitude);

// Traces the outline and the grid. footprint limits the work to the part of
// the world the picture may show (SwathFootprint::wholeWorld() projects
// everything); a place the projection gives no point for is off the swath.
PictureOverlay BuildPictureOverlay(const std::vector<OutlineTraceLine>& outline, const GroundToPicture& project,
                                   const SwathFootprint& footprint, const OverlayOptions& options);

}  // namespace sorae
