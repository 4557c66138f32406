// Drawing of a traced map overlay (coastlines, borders, grid and its
// labels) over a channel picture: thin anti-aliased coloured lines, the grid
// labels as small outlined text. The same drawing serves the saved pictures
// and the image area, where only the visible part of the picture is drawn.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <string>
#include <vector>

#include "geo/picture_overlay.h"

class QPainter;

namespace sorae {

struct OverlayStyle {
    QColor coast{255, 215, 0};    // yellow
    QColor border{255, 110, 60};  // orange red
    QColor grid{0, 200, 255};     // light blue, labels too
    double lineWidth = 1.0;       // device pixels
    int labelPixels = 11;
};

// The overlay in the coordinates of the 1040-wide channel picture (picture
// pixel x covers [x, x+1)), ready to draw many times.
class OverlayDrawing {
public:
    OverlayDrawing() = default;
    // imageAreaLeft: the picture column of image word 0 (see
    // ImageAreaFirstColumn); the overlay's points are word centres.
    OverlayDrawing(const PictureOverlay& overlay, int imageAreaLeft);

    bool empty() const { return paths_.empty(); }
    // Draws the part that meets visible (picture coordinates; an empty rect
    // draws everything) through toDevice, which maps picture coordinates to
    // the painter's device. Labels are drawn upright whatever toDevice does.
    void paint(QPainter& painter, const QTransform& toDevice, const QRectF& visible = QRectF(),
               const OverlayStyle& style = OverlayStyle()) const;

private:
    struct Path {
        OverlayLineKind kind;
        QPainterPath path;
        QRectF bounds;
    };
    struct Label {
        QPointF at;
        QString text;
        bool parallel;
    };
    std::vector<Path> paths_;
    std::vector<Label> labels_;
};

// A copy of the picture with the overlay drawn on, in colour.
QImage PictureWithOverlay(const QImage& picture, const OverlayDrawing& drawing,
                          const OverlayStyle& style = OverlayStyle());

// Writes the picture as a colour JPEG of quality 100, replacing the file at
// path atomically (the old file stays when anything fails).
bool SaveColourJpeg(const QImage& picture, const std::string& path, std::string* error = nullptr);

}  // namespace sorae
