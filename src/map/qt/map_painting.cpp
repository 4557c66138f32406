#include "map/qt/map_painting.h"

#include <QFontMetrics>

#include "map/satellite_glyph.h"

namespace sorae {

QColor ToQColor(ColourValue value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

void DrawMapSegment(QPainter& painter, const MapProjection& projection, double latitudes[2],
                    double longitudes[2]) {
    const PixelSegment s = MapSegmentPixels(projection, latitudes, longitudes);
    if (s.drawn) painter.drawLine(s.x0, s.y0, s.x1, s.y1);
}

void DrawSatelliteGlyph(int x, int y, ColourValue colour, QImage& bitmap) {
    const QRgb rgb = ToQColor(colour).rgb();
    const int w = bitmap.width();
    const int h = bitmap.height();
    for (const GlyphPixel& p : SatelliteGlyphPixels()) {
        const int px = x + p.dx;
        const int py = y + p.dy;
        if (px < 0 || py < 0 || px >= w || py >= h) continue;
        bitmap.setPixel(px, py, rgb);
    }
}

QFont MapFont(int pointSize) {
    QFont font;
    font.setPointSize(pointSize);
    // Plain pixels in exactly the chosen colours, as on the rest of the map.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void DrawOutlinedText(QPainter& painter, int x, int y, const QString& text, const QColor& colour) {
    const int ascent = painter.fontMetrics().ascent();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) painter.drawText(x + i, y + j + ascent, text);
    painter.setPen(colour);
    painter.drawText(x, y + ascent, text);
}

}  // namespace sorae
