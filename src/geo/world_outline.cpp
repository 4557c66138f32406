#include "geo/world_outline.h"

#include "map/map_file_reader.h"

namespace sorae {

std::optional<WorldOutline> LoadWorldOutline(const std::string& path) {
    MapFileReader reader;
    if (!reader.open(path)) return std::nullopt;
    WorldOutline outline;
    std::vector<GeoPoint> current;
    bool polygon = false;
    auto finish = [&] {
        if (polygon && current.size() >= 3) outline.polygons.push_back(std::move(current));
        if (!polygon && current.size() >= 2) outline.lines.push_back(std::move(current));
        current.clear();
    };
    MapLine line;
    while (reader.next(line)) {
        switch (line.kind) {
        case MapLineKind::PolygonHeader:
            finish();
            polygon = true;
            break;
        case MapLineKind::PolylineHeader:
            finish();
            polygon = false;
            break;
        case MapLineKind::Point:
            current.push_back(GeoPoint{line.latitude, line.longitude});
            break;
        case MapLineKind::End:
        case MapLineKind::Ignored:
            break;
        }
    }
    finish();
    if (outline.polygons.empty()) return std::nullopt;
    return outline;
}

}  // namespace sorae
