#include "geo/picture_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sorae {

namespace {

// Longitude difference b - a the short way round, in (-180, 180].
double LongitudeStep(double a, double b) {
    double d = std::fmod(b - a, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

// The point a fraction t of the way from a to b, its longitude brought back
// into (-180, 180].
GeoPoint Between(GeoPoint a, GeoPoint b, double t) {
    double lon = a.longitudeDeg + LongitudeStep(a.longitudeDeg, b.longitudeDeg) * t;
    if (lon > 180.0) lon -= 360.0;
    if (lon <= -180.0) lon += 360.0;
    return {a.latitudeDeg + (b.latitudeDeg - a.latitudeDeg) * t, lon};
}

double Distance(PicturePoint a, PicturePoint b) { return std::hypot(a.column - b.column, a.row - b.row); }

// Walks lines in steps and collects the projected polylines.
class Tracer {
public:
    Tracer(const GroundToPicture& project, const SwathFootprint& footprint, const OverlayOptions& options,
           std::vector<OverlayPolyline>& out)
        : project_(project), footprint_(footprint), options_(options), out_(out),
          jump_(options.jumpPixels > 0 ? options.jumpPixels : std::max(8.0, options.columns / 4.0)) {}

    void trace(OverlayLineKind kind, const std::vector<GeoPoint>& vertices) {
        kind_ = kind;
        havePrevious_ = false;
        current_.clear();
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            if (i == 0) {
                visit(vertices[0]);
                continue;
            }
            const GeoPoint a = vertices[i - 1], b = vertices[i];
            const double span = std::max(std::abs(b.latitudeDeg - a.latitudeDeg),
                                         std::abs(LongitudeStep(a.longitudeDeg, b.longitudeDeg)));
            const int steps = std::max(1, int(std::ceil(span / options_.stepDeg)));
            for (int s = 1; s <= steps; ++s) visit(s == steps ? b : Between(a, b, double(s) / steps));
        }
        flush();
    }

private:
    std::optional<PicturePoint> projectPoint(GeoPoint p) const {
        if (!footprint_.mayShow(p)) return std::nullopt;
        return project_(p);
    }

    // The projection of the point nearest the swath edge between a place on
    // the swath (inside) and one off it.
    std::optional<PicturePoint> edgePoint(GeoPoint inside, GeoPoint outside) const {
        double tIn = 0.0, tOut = 1.0;
        std::optional<PicturePoint> best;
        for (int i = 0; i < options_.edgeBisections; ++i) {
            const double t = 0.5 * (tIn + tOut);
            if (const auto p = project_(Between(inside, outside, t))) {
                tIn = t;
                best = p;
            } else {
                tOut = t;
            }
        }
        return best;
    }

    void append(PicturePoint p) {
        if (!current_.empty() && Distance(current_.back(), p) > jump_) flush();
        if (current_.empty() || Distance(current_.back(), p) > 1e-9) current_.push_back(p);
    }

    void visit(GeoPoint p) {
        p = Between(p, p, 0.0);  // longitude into (-180, 180] like every point between vertices
        const auto projected = projectPoint(p);
        if (projected) {
            if (havePrevious_ && !previousOnSwath_) {
                // Entering the swath: start the line at its edge.
                if (const auto e = edgePoint(p, previous_); e && Distance(*e, *projected) <= jump_)
                    append(*e);
            }
            append(*projected);
        } else if (havePrevious_ && previousOnSwath_) {
            // Leaving it: end the line at the edge.
            if (const auto e = edgePoint(previous_, p); e && !current_.empty() &&
                                                        Distance(*e, current_.back()) <= jump_)
                append(*e);
            flush();
        }
        previous_ = p;
        previousOnSwath_ = projected.has_value();
        havePrevious_ = true;
    }

    void flush() {
        if (current_.size() >= 2) out_.push_back(OverlayPolyline{kind_, current_});
        current_.clear();
    }

    const GroundToPicture& project_;
    const SwathFootprint& footprint_;
    const OverlayOptions& options_;
    std::vector<OverlayPolyline>& out_;
    const double jump_;
    OverlayLineKind kind_ = OverlayLineKind::Coast;
    std::vector<PicturePoint> current_;
    GeoPoint previous_;
    bool previousOnSwath_ = false;
    bool havePrevious_ = false;
};

void AddGridLabel(PictureOverlay& overlay, std::size_t firstLine, double value, bool parallel) {
    constexpr double kLabelSpacing = 40.0;  // pixels between labels of one family
    for (std::size_t i = firstLine; i < overlay.lines.size(); ++i) {
        const auto& points = overlay.lines[i].points;
        const auto nearest = std::min_element(points.begin(), points.end(), [&](const auto& a, const auto& b) {
            return parallel ? a.column < b.column : a.row < b.row;
        });
        const bool crowded = std::any_of(overlay.labels.begin(), overlay.labels.end(), [&](const auto& l) {
            return l.parallel == parallel && Distance(l.at, *nearest) < kLabelSpacing;
        });
        if (!crowded) overlay.labels.push_back({*nearest, GridLabelText(value, parallel), parallel});
    }
}

}  // namespace

double GridStepForExtent(double extentDeg) {
    if (extentDeg >= 30.0) return 10.0;
    if (extentDeg >= 12.0) return 5.0;
    return 2.0;
}

std::string GridLabelText(double degrees, bool latitude) {
    double d = degrees;
    if (!latitude) {
        d = std::fmod(d, 360.0);
        if (d > 180.0) d -= 360.0;
        if (d <= -180.0) d += 360.0;
    }
    const double magnitude = std::abs(d);
    char number[32];
    if (magnitude == std::floor(magnitude))
        std::snprintf(number, sizeof number, "%.0f", magnitude);
    else
        std::snprintf(number, sizeof number, "%g", magnitude);
    std::string text = std::string(number) + "\u00B0";
    if (magnitude == 0.0 || (!latitude && magnitude == 180.0)) return text;
    if (latitude) return text + (d > 0 ? "N" : "S");
    return text + (d > 0 ? "E" : "W");
}

std::vector<OutlineTraceLine> OutlineTraceLines(const WorldOutline& outline) {
    auto isCut = [](const GeoPoint& a, const GeoPoint& b) {
        const bool onDateLine = a.longitudeDeg == b.longitudeDeg && std::abs(a.longitudeDeg) == 180.0;
        const bool onPoleLine = a.latitudeDeg == b.latitudeDeg && std::abs(a.latitudeDeg) == 90.0;
        return onDateLine || onPoleLine;
    };
    std::vector<OutlineTraceLine> out;
    auto addPieces = [&](OverlayLineKind kind, const std::vector<GeoPoint>& points) {
        std::vector<GeoPoint> piece;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i > 0 && isCut(points[i - 1], points[i])) {
                if (piece.size() >= 2) out.push_back({kind, piece});
                piece.clear();
            }
            piece.push_back(points[i]);
        }
        if (piece.size() >= 2) out.push_back({kind, piece});
    };
    std::vector<GeoPoint> ring;
    for (const auto& polygon : outline.polygons) {
        ring = polygon;
        if (ring.size() > 2 && (ring.front().latitudeDeg != ring.back().latitudeDeg ||
                                ring.front().longitudeDeg != ring.back().longitudeDeg))
            ring.push_back(ring.front());
        addPieces(OverlayLineKind::Coast, ring);
    }
    for (const auto& line : outline.lines) addPieces(OverlayLineKind::Border, line);
    return out;
}

PictureOverlay BuildPictureOverlay(const std::vector<OutlineTraceLine>& outline, const GroundToPicture& project,
                                   const SwathFootprint& footprint, const OverlayOptions& options) {
    PictureOverlay overlay;
    if (!project || footprint.empty() || !(options.stepDeg > 0.0)) return overlay;
    Tracer tracer(project, footprint, options, overlay.lines);

    for (const OutlineTraceLine& line : outline) {
        const bool wanted = line.kind == OverlayLineKind::Coast ? options.coasts : options.borders;
        if (wanted) tracer.trace(line.kind, line.points);
    }
    std::vector<GeoPoint> vertices;

    if (!options.grid) return overlay;
    const double step = options.gridStepDeg > 0.0 ? options.gridStepDeg : GridStepForExtent(footprint.extentDeg());
    overlay.gridStepDeg = step;
    // Parallels, poles left out; the tracer fills in between these vertices.
    for (int k = int(std::ceil(-90.0 / step)); k * step <= 90.0; ++k) {
        const double lat = k * step;
        if (std::abs(lat) >= 90.0) continue;
        vertices.clear();
        for (int lon = -180; lon <= 180; lon += 10) vertices.push_back({lat, double(lon)});
        const std::size_t first = overlay.lines.size();
        tracer.trace(OverlayLineKind::Grid, vertices);
        AddGridLabel(overlay, first, lat, true);
    }
    for (int k = int(std::ceil(-180.0 / step)); k * step < 180.0; ++k) {
        const double lon = k * step;
        vertices.clear();
        for (int lat = -90; lat <= 90; lat += 10) vertices.push_back({double(lat), lon});
        const std::size_t first = overlay.lines.size();
        tracer.trace(OverlayLineKind::Grid, vertices);
        AddGridLabel(overlay, first, lon, false);
    }
    return overlay;
}

}  // namespace sorae
