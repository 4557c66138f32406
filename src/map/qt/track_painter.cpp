#include "map/qt/track_painter.h"

#include <QPainter>

#include "map/ground_track_path.h"
#include "map/qt/map_painting.h"

namespace sorae {

namespace {

int Slot(const SatelliteTrack& t) {
    // Only eight colour slots exist; extra satellites share the last one.
    if (t.colourSlot < 0) return 0;
    return t.colourSlot > 7 ? 7 : t.colourSlot;
}

ColourValue TrackColour(const AppSettings& s, const SatelliteTrack& t) {
    return t.nextPass ? s.satNextTrack : s.satTrack[Slot(t)];
}

}  // namespace

void PaintSatelliteMark(QImage& bitmap, int hx, int hy, ColourValue colour,
                        const std::string& name) {
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) DrawSatelliteGlyph(hx + i, hy + j, 0x000000, bitmap);
    DrawSatelliteGlyph(hx, hy, colour, bitmap);

    QPainter painter(&bitmap);
    painter.setFont(MapFont(9));
    if (bitmap.width() < hx + 60) hx -= 60;
    DrawOutlinedText(painter, hx + 5, hy + 10, QString::fromStdString(name), ToQColor(colour));
}

void PaintGroundTracks(QImage& bitmap, const MapProjection& projection,
                       const AppSettings& settings, const std::vector<SatelliteTrack>& tracks) {
    for (const SatelliteTrack& track : tracks) {
        GroundTrackPath path(bitmap.width());
        {
            QPainter painter(&bitmap);
            painter.setPen(ToQColor(TrackColour(settings, track)));
            for (const TrackPoint& pt : track.points) {
                const ProjectedPoint p = ProjectPoint(projection, bitmap.width(), bitmap.height(),
                                                      pt.latitudeDeg, pt.longitudeDeg);
                for (const TrackLine& l : path.add(p)) painter.drawLine(l.x0, l.y0, l.x1, l.y1);
            }
        }
        if (!path.started()) continue;  // no visible point: no mark
        const ColourValue mark = track.nextPass ? settings.satNextMark : settings.satMark[Slot(track)];
        PaintSatelliteMark(bitmap, path.firstX(), path.firstY(), mark, track.name);
    }
}

void PaintPassTrack(QImage& bitmap, const MapProjection& projection, const AppSettings& settings,
                    const SatelliteTrack& track) {
    if (track.points.empty()) return;
    int hx = -200;
    int hy = -200;
    const TrackPoint& first = track.points.front();
    const ProjectedPoint p =
        ProjectPoint(projection, bitmap.width(), bitmap.height(), first.latitudeDeg, first.longitudeDeg);
    if (p.visible) {
        hx = p.x;
        hy = p.y;
    }
    {
        QPainter painter(&bitmap);
        painter.setPen(ToQColor(TrackColour(settings, track)));
        double prevLat = first.latitudeDeg;
        double prevLon = first.longitudeDeg;
        for (std::size_t i = 1; i < track.points.size(); ++i) {
            double lats[2] = {prevLat, track.points[i].latitudeDeg};
            double lons[2] = {prevLon, track.points[i].longitudeDeg};
            DrawMapSegment(painter, projection, lats, lons);
            prevLat = track.points[i].latitudeDeg;
            prevLon = track.points[i].longitudeDeg;
        }
    }
    const ColourValue mark = track.nextPass ? 0xFFFFFF : settings.satMark[Slot(track)];
    PaintSatelliteMark(bitmap, hx, hy, mark, track.name);
}

}  // namespace sorae
