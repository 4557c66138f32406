#include "map/map_outline_passes.h"

#include "map/map_file_reader.h"

namespace sorae {

namespace {

bool IsCutEdge(double lat0, double lon0, double lat1, double lon1) {
    const bool onDateLine = (lon0 == lon1) && (lon0 == 180.0 || lon0 == -180.0);
    const bool onPoleLine = (lat0 == lat1) && (lat0 == 90.0 || lat0 == -90.0);
    return onDateLine || onPoleLine;
}

}  // namespace

bool RunPolygonPass(const std::string& path, MapProjection& projection,
                    const PolygonPassOptions& options,
                    const std::function<void(const MapPolygon&)>& flush) {
    MapFileReader reader;
    if (!reader.open(path)) return false;

    MapPolygon polygon;
    polygon.points.reserve(4096);
    polygon.vertices.reserve(4096);
    polygon.outlined.reserve(4096);
    bool collecting = false;
    double firstLat = 0.0, firstLon = 0.0, prevLat = 0.0, prevLon = 0.0;

    auto finish = [&]() {
        if (!polygon.points.empty())
            polygon.outlined.push_back(!IsCutEdge(prevLat, prevLon, firstLat, firstLon));
        flush(polygon);
        polygon.points.clear();
        polygon.vertices.clear();
        polygon.outlined.clear();
        polygon.anyVisible = false;
        polygon.overflow = false;
    };

    MapLine line;
    while (reader.next(line)) {
        switch (line.kind) {
        case MapLineKind::PolygonHeader:
            finish();
            polygon.type = line.polygonType;
            // Filled-only polygons are not part of the globe view.
            collecting = options.shifted || !(projection.GlobeMode && line.polygonType == 'F');
            break;
        case MapLineKind::PolylineHeader:
            finish();
            collecting = false;
            break;
        case MapLineKind::End:
            finish();
            return true;
        case MapLineKind::Point: {
            if (!collecting || polygon.overflow) break;
            if (polygon.points.size() >= kMaxPolygonVertices) {
                polygon.overflow = true;
                break;
            }
            const ProjectedPoint p =
                ProjectMapVertex(projection, line.latitude, line.longitude, options.shifted);
            if (polygon.points.empty()) {
                firstLat = line.latitude;
                firstLon = line.longitude;
            } else {
                polygon.outlined.push_back(
                    !IsCutEdge(prevLat, prevLon, line.latitude, line.longitude));
            }
            prevLat = line.latitude;
            prevLon = line.longitude;
            polygon.points.push_back(p);
            polygon.vertices.push_back({line.latitude, line.longitude});
            if (p.visible) polygon.anyVisible = true;
            break;
        }
        case MapLineKind::Ignored:
            break;
        }
    }
    return true;
}

bool RunPolylinePass(const std::string& path,
                     const std::function<void(double latitudes[2], double longitudes[2])>& segment) {
    MapFileReader reader;
    if (!reader.open(path)) return false;
    bool collecting = false;
    bool havePoint = false;
    double prevLat = 0.0, prevLon = 0.0;
    MapLine line;
    while (reader.next(line)) {
        switch (line.kind) {
        case MapLineKind::PolylineHeader:
            collecting = true;
            havePoint = false;
            break;
        case MapLineKind::PolygonHeader:
            collecting = false;
            break;
        case MapLineKind::End:
            return true;
        case MapLineKind::Point:
            if (!collecting) break;
            if (havePoint) {
                double lats[2] = {prevLat, line.latitude};
                double lons[2] = {prevLon, line.longitude};
                segment(lats, lons);
                prevLat = lats[1];
                prevLon = lons[1];
            } else {
                prevLat = line.latitude;
                prevLon = line.longitude;
                havePoint = true;
            }
            break;
        case MapLineKind::Ignored:
            break;
        }
    }
    return true;
}

}  // namespace sorae
