// Small drawing helpers of the map view: colour conversion, map segments on
// a painter, the satellite glyph written straight into the pixels, and text
// with a black outline.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include "map/map_projection.h"
#include "settings/app_settings.h"

namespace sorae {

// 0x00BBGGRR to a QColor.
QColor ToQColor(ColourValue value);

// Draws one map segment with the painter's pen (see MapSegmentPixels); the
// longitudes may be changed for a segment across the date line.
void DrawMapSegment(QPainter& painter, const MapProjection& projection, double latitudes[2],
                    double longitudes[2]);

// Sets the glyph's 71 pixels around (x, y); pixels off the bitmap are skipped.
void DrawSatelliteGlyph(int x, int y, ColourValue colour, QImage& bitmap);

// Text whose top-left corner is (x, y): black at the eight neighbouring
// offsets and (x, y) itself, then in colour at (x, y).
void DrawOutlinedText(QPainter& painter, int x, int y, const QString& text, const QColor& colour);

// A painter font of the given point size in the bitmap's default face.
QFont MapFont(int pointSize);

}  // namespace sorae
