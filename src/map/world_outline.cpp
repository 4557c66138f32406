#include "map/world_outline.h"

#include "map/map_file_reader.h"

namespace sorae {

namespace {

// Edges along the 180th meridian or a pole line close the data's polygons;
// they are not shores and are not traced.
bool IsCut(const GeoVertex& a, const GeoVertex& b) {
    const bool onDateLine = a.longitude == b.longitude && (a.longitude == 180.0 || a.longitude == -180.0);
    const bool onPoleLine = a.latitude == b.latitude && (a.latitude == 90.0 || a.latitude == -90.0);
    return onDateLine || onPoleLine;
}

class Collector {
public:
    explicit Collector(std::vector<OutlineLine>& out) : out_(out) {}

    void start(OutlineKind kind, bool closed) {
        finish();
        kind_ = kind;
        closed_ = closed;
        active_ = true;
    }
    void stop() {
        finish();
        active_ = false;
    }
    void add(const GeoVertex& v) {
        if (active_) block_.push_back(v);
    }
    void finish() {
        if (closed_ && block_.size() > 2) block_.push_back(block_.front());
        // Split the block at its cut edges.
        std::vector<GeoVertex> piece;
        for (std::size_t i = 0; i < block_.size(); ++i) {
            if (i > 0 && IsCut(block_[i - 1], block_[i])) flush(piece);
            piece.push_back(block_[i]);
        }
        flush(piece);
        block_.clear();
    }

private:
    void flush(std::vector<GeoVertex>& piece) {
        if (piece.size() >= 2) out_.push_back(OutlineLine{kind_, piece});
        piece.clear();
    }

    std::vector<OutlineLine>& out_;
    std::vector<GeoVertex> block_;
    OutlineKind kind_ = OutlineKind::Coast;
    bool closed_ = false;
    bool active_ = false;
};

}  // namespace

std::optional<WorldOutline> WorldOutline::load(const std::string& path, std::string* error) {
    MapFileReader reader;
    if (!reader.open(path)) {
        if (error) *error = "cannot open the world outline " + path;
        return std::nullopt;
    }
    WorldOutline outline;
    Collector collector(outline.lines_);
    MapLine line;
    while (reader.next(line)) {
        switch (line.kind) {
        case MapLineKind::PolygonHeader:
            collector.start(OutlineKind::Coast, true);
            break;
        case MapLineKind::PolylineHeader:
            collector.start(OutlineKind::Border, false);
            break;
        case MapLineKind::End:
            collector.stop();
            break;
        case MapLineKind::Point:
            collector.add({line.latitude, line.longitude});
            break;
        case MapLineKind::Ignored:
            break;
        }
    }
    collector.stop();
    return outline;
}

WorldOutline WorldOutline::fromLines(std::vector<OutlineLine> lines) {
    WorldOutline outline;
    for (auto& l : lines) {
        if (l.points.size() >= 2) outline.lines_.push_back(std::move(l));
    }
    return outline;
}

std::size_t WorldOutline::vertexCount() const {
    std::size_t n = 0;
    for (const auto& l : lines_) n += l.points.size();
    return n;
}

}  // namespace sorae
