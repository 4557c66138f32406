#include "map/qt/map_renderer.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <vector>

#include "map/globe_clipping.h"
#include "map/map_outline_passes.h"
#include "map/qt/map_overlays.h"
#include "map/qt/map_painting.h"
#include "map/qt/track_painter.h"

namespace sorae {

namespace {
constexpr QImage::Format kMapFormat = QImage::Format_RGB32;
constexpr int kInsetSize = 300;
}  // namespace

MapRenderer::MapRenderer(const AppSettings& settings)
    : settings_(settings),
      base_(kGlobeCanvasWidth, kGlobeCanvasHeight, kMapFormat),
      work_(kGlobeCanvasWidth, kGlobeCanvasHeight, kMapFormat),
      inset_(kInsetSize, kInsetSize, kMapFormat) {
    base_.fill(Qt::black);
    work_.fill(Qt::black);
    inset_.fill(Qt::black);
    SetUpProjection();
}

void MapRenderer::resize(int width, int height) {
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (width == base_.width() && height == base_.height()) return;
    base_ = QImage(width, height, kMapFormat);
    base_.fill(Qt::black);
    work_ = QImage(width, height, kMapFormat);
    work_.fill(Qt::black);
}

void MapRenderer::SetUpProjection() {
    ProjectionInputs in;
    in.stationLatitude = settings_.locateN;
    in.stationLongitude = settings_.locateE;
    in.passMode = passMode_;
    in.width = base_.width();
    in.height = base_.height();
    projection_ = sorae::SetUpProjection(in);
}

void MapRenderer::drawBackground(QPainter& painter) {
    const QColor back = ToQColor(settings_.mapBackColor);
    if (projection_.GlobeMode) {
        // The whole bitmap goes black, not only the 1040 x 640 globe canvas,
        // so that nothing of an earlier flat map is left beside it.
        painter.fillRect(base_.rect(), Qt::black);
        const int d = TruncToPixel(projection_.GlobeRadius * projection_.GlobeScale * 2.0);
        const int left = (kGlobeCanvasWidth - d) / 2;
        const int top = (kGlobeCanvasHeight - d) / 2;
        painter.setPen(back);
        painter.setBrush(back);
        painter.drawEllipse(QRect(left, top, d, d));
    } else {
        painter.fillRect(base_.rect(), back);
        painter.setBrush(back);
    }
}

namespace {

// Draws the edges of a closed polygon whose flag is set, as runs of lines.
void DrawOutlinedEdges(QPainter& painter, const QPolygon& poly, const std::vector<bool>& outlined) {
    const int n = poly.size();
    QPolygon run;
    for (int i = 0; i < n; ++i) {
        if (outlined[i]) {
            if (run.isEmpty()) run.append(poly[i]);
            run.append(poly[(i + 1) % n]);
        } else if (!run.isEmpty()) {
            painter.drawPolyline(run);
            run.clear();
        }
    }
    if (!run.isEmpty()) painter.drawPolyline(run);
}

// The visible part of a polygon on the globe: its rings filled together,
// then its coasts outlined (the rim and the cuts of the data are not).
void DrawGlobeRings(QPainter& painter, const std::vector<ClippedRing>& rings, const QColor& brush,
                    const QColor& pen) {
    if (rings.empty()) return;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    std::vector<QPolygon> polys;
    for (const ClippedRing& ring : rings) {
        QPolygon& poly = polys.emplace_back(static_cast<int>(ring.points.size()));
        for (int i = 0; i < poly.size(); ++i)
            poly[i] = QPoint(TruncToPixel(ring.points[i].x), TruncToPixel(ring.points[i].y));
        path.addPolygon(QPolygonF(poly));
        path.closeSubpath();
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPath(path);
    painter.setPen(pen);
    for (std::size_t r = 0; r < rings.size(); ++r) DrawOutlinedEdges(painter, polys[r], rings[r].outlined);
}

}  // namespace

void MapRenderer::drawPolygons(QPainter& painter, bool shifted) {
    QColor brush = painter.brush().color();
    QColor pen = painter.pen().color();
    QPolygon poly;
    PolygonPassOptions options;
    options.shifted = shifted;
    RunPolygonPass(mapFilePath_, projection_, options, [&](const MapPolygon& p) {
        switch (p.type) {
        case 'L':
            brush = ToQColor(settings_.mapCoastColor);
            pen = ToQColor(settings_.boundaries);
            break;
        case 'S':
            brush = ToQColor(settings_.mapBackColor);
            pen = ToQColor(settings_.boundaries);
            break;
        case 'F':
            brush = pen = ToQColor(settings_.mapCoastColor);
            break;
        default:
            break;  // keeps the colours last set
        }
        if (projection_.GlobeMode) {
            // Cut at the horizon: a polygon may show without a visible vertex
            // (when it holds the whole visible side), so only the limit applies.
            if (p.overflow || p.vertices.empty()) return;
            DrawGlobeRings(painter, ClipRingToGlobe(projection_, p.vertices, p.outlined), brush, pen);
            return;
        }
        if (!p.drawable()) return;
        const int n = static_cast<int>(p.points.size());
        poly.resize(n);
        bool allOutlined = true;
        for (int i = 0; i < n; ++i) {
            poly[i] = QPoint(p.points[i].x, p.points[i].y);
            if (!p.outlined[i]) allOutlined = false;
        }
        painter.setBrush(brush);
        if (allOutlined) {
            painter.setPen(pen);
            painter.drawPolygon(poly);
            return;
        }
        // Fill, then outline only the edges that are real coasts.
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(poly);
        painter.setPen(pen);
        DrawOutlinedEdges(painter, poly, p.outlined);
    });
    painter.setBrush(brush);
    painter.setPen(pen);
}

void MapRenderer::drawGrid(QPainter& painter) {
    painter.setPen(ToQColor(settings_.grid));
    painter.setBrush(Qt::NoBrush);
    for (int lat = -90; lat <= 90; lat += 10) {
        for (int lon = -180; lon <= 179; ++lon) {
            double lats[2] = {double(lat), double(lat)};
            double lons[2] = {double(lon), double(lon + 1)};
            DrawMapSegment(painter, projection_, lats, lons);
        }
    }
    for (int lon = -180; lon <= 170; lon += 10) {
        for (int lat = -90; lat <= 89; ++lat) {
            double lats[2] = {double(lat), double(lat + 1)};
            double lons[2] = {double(lon), double(lon)};
            DrawMapSegment(painter, projection_, lats, lons);
        }
    }
}

void MapRenderer::drawGridLabels(QPainter& painter) {
    painter.setFont(MapFont(8));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(ToQColor(settings_.gridNum));
    const int ascent = painter.fontMetrics().ascent();
    const int w = base_.width();
    const int h = base_.height();
    for (int lat = -80; lat <= 90; lat += 10) {
        const int y = TruncToPixel((projection_.TopLatitude - lat) * projection_.PixelsPerDegreeY) + 1;
        const QString text = lat == 0 ? QStringLiteral("  0") : QStringLiteral(" %1").arg(lat);
        painter.drawText(w - 24, y + ascent, text);
    }
    for (int lon = 0; lon <= 350; lon += 10) {
        double d = lon - projection_.LeftLongitude;
        if (d > 360.0)
            d -= 360.0;
        else if (d < 0.0 && d + 1.0 < 0.0)
            d += 360.0;
        const int x = TruncToPixel(d * projection_.PixelsPerDegreeX) + 2;
        const QString text = QString::number(lon > 180 ? lon - 360 : lon);
        painter.drawText(x, h - 15 + ascent, text);
    }
}

void MapRenderer::DrawBaseMap() {
    QPainter painter(&base_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawBackground(painter);
    painter.setPen(ToQColor(settings_.mapCoastColor));
    drawPolygons(painter, false);
    if (!projection_.GlobeMode) drawPolygons(painter, true);

    painter.setPen(ToQColor(settings_.boundaries));
    RunPolylinePass(mapFilePath_, [&](double lats[2], double lons[2]) {
        DrawMapSegment(painter, projection_, lats, lons);
    });

    drawGrid(painter);
    if (!projection_.GlobeMode) drawGridLabels(painter);
}

bool MapRenderer::RedrawMap(MapTrackSource& tracks) {
    if (passMode_ != lastDrawnMapMode_) {
        SetUpProjection();
        DrawBaseMap();
        lastDrawnMapMode_ = passMode_;
    }
    work_ = base_.copy();
    if (!projection_.GlobeMode && settings_.mapTerminator && utcNow_)
        PaintNightShade(work_, projection_, SubsolarPointAt(*utcNow_));

    const ProjectedPoint station =
        ProjectPoint(projection_, work_.width(), work_.height(), settings_.locateN, settings_.locateE);
    {
        QPainter painter(&work_);
        painter.setPen(Qt::white);
        painter.drawLine(station.x - 4, station.y, station.x + 4, station.y);
        painter.drawLine(station.x, station.y - 4, station.x, station.y + 4);
    }

    if (projection_.GlobeMode) {
        if (std::optional<SatelliteTrack> track = tracks.passTrack())
            PaintPassTrack(work_, projection_, settings_, *track);
        inset_ = work_.copy(370, 170, kInsetSize, kInsetSize);
        QPainter painter(&inset_);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(Qt::white);
        painter.drawRect(0, 0, kInsetSize - 1, kInsetSize - 1);
        return true;
    }

    const std::optional<std::vector<SatelliteTrack>> ground = tracks.groundTracks();
    if (ground) {
        if (settings_.mapFootprints) PaintFootprints(work_, projection_, settings_, *ground);
        PaintGroundTracks(work_, projection_, settings_, *ground);
        if (settings_.mapPassTimes) PaintTrackMarks(work_, projection_, *ground);
    }
    {
        QPainter painter(&work_);
        painter.setFont(MapFont(9));
        DrawOutlinedText(painter, station.x + 5, station.y + 5, QStringLiteral("HOME"), Qt::white);
    }
    return ground.has_value();
}

}  // namespace sorae
