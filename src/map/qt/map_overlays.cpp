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
    // Straight into the pixels: a painter call per column costs more than
    // the whole once-a-second redraw.
    if (bitmap.format() != QImage::Format_RGB32) bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    const int top = std::max(0, RowOfLatitude(projection, 90.0));
    const int bottom = std::min(bitmap.height(), RowOfLatitude(projection, -90.0));
    const qsizetype stride = bitmap.bytesPerLine() / 4;
    auto* pixels = reinterpret_cast<QRgb*>(bitmap.bits());
    for (int x = 0; x < bitmap.width(); ++x) {
        const double longitude = projection.LeftLongitude + (x + 0.5) / projection.PixelsPerDegreeX;
        const double line = TerminatorLatitudeDeg(sun, longitude);
        // Which side of the line the night lies on, in this column.
        const bool nightNorth = IsNight(sun, std::min(90.0, line + 0.5), longitude);
        const int row = std::clamp(RowOfLatitude(projection, line), top, bottom);
        const int from = nightNorth ? top : row;
        const int to = nightNorth ? row : bottom;
        for (int y = from; y < to; ++y) {
            QRgb& p = pixels[y * stride + x];
            // About 57 % of the day's brightness.
            p = qRgb(qRed(p) * 145 / 256, qGreen(p) * 145 / 256, qBlue(p) * 145 / 256);
        }
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
