#include "map/qt/map_overlays.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "map/footprint.h"
#include "map/qt/map_painting.h"

namespace sorae {

namespace {

constexpr int kFootprintPoints = 72;

int RowOfLatitude(const MapProjection& p, double latitudeDeg) {
    return TruncToPixel((p.TopLatitude - latitudeDeg) * p.PixelsPerDegreeY);
}

}  // namespace

void PaintNightShade(QImage& bitmap, const MapProjection& projection, const SubsolarPoint& sun) {
    if (projection.GlobeMode || projection.PixelsPerDegreeX <= 0.0) return;
    QPainter painter(&bitmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 110));
    const int top = RowOfLatitude(projection, 90.0);
    const int bottom = RowOfLatitude(projection, -90.0);
    for (int x = 0; x < bitmap.width(); ++x) {
        const double longitude = projection.LeftLongitude + (x + 0.5) / projection.PixelsPerDegreeX;
        const double line = TerminatorLatitudeDeg(sun, longitude);
        // Which side of the line the night lies on, in this column.
        const bool nightNorth = IsNight(sun, std::min(90.0, line + 0.5), longitude);
        const int row = RowOfLatitude(projection, line);
        if (nightNorth)
            painter.drawRect(x, top, 1, std::max(0, row - top));
        else
            painter.drawRect(x, row, 1, std::max(0, bottom - row));
    }
}

void PaintFootprints(QImage& bitmap, const MapProjection& projection, const AppSettings& settings,
                     const std::vector<SatelliteTrack>& tracks) {
    QPainter painter(&bitmap);
    painter.setBrush(Qt::NoBrush);
    for (const SatelliteTrack& track : tracks) {
        if (track.points.empty() || !(track.heightKm > 0.0)) continue;
        const int slot = std::clamp(track.colourSlot, 0, 7);
        painter.setPen(QPen(ToQColor(track.nextPass ? settings.satNextMark : settings.satMark[std::size_t(slot)]), 1,
                            Qt::SolidLine));
        const TrackPoint& centre = track.points.front();
        const std::vector<TrackPoint> ring =
            FootprintRing(centre.latitudeDeg, centre.longitudeDeg, track.heightKm, kFootprintPoints);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const TrackPoint& a = ring[i];
            const TrackPoint& b = ring[(i + 1) % ring.size()];
            double lats[2] = {a.latitudeDeg, b.latitudeDeg};
            double lons[2] = {a.longitudeDeg, b.longitudeDeg};
            DrawMapSegment(painter, projection, lats, lons);
        }
    }
}

void PaintTrackMarks(QImage& bitmap, const MapProjection& projection, const std::vector<SatelliteTrack>& tracks) {
    QPainter painter(&bitmap);
    painter.setFont(MapFont(8));
    for (const SatelliteTrack& track : tracks) {
        for (const TrackMark& mark : track.marks) {
            const ProjectedPoint p = ProjectPoint(projection, bitmap.width(), bitmap.height(), mark.at.latitudeDeg,
                                                  mark.at.longitudeDeg);
            if (!p.visible) continue;
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(QColor(255, 255, 120));
            painter.drawEllipse(QPoint(p.x, p.y), 3, 3);
            DrawOutlinedText(painter, p.x + 5, p.y - 14, QString::fromStdString(mark.label), QColor(255, 255, 120));
        }
    }
}

}  // namespace sorae
