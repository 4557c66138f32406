#include "imaging/qt/picture_overlay_painter.h"

#include <QBuffer>
#include <QFont>
#include <QImageWriter>
#include <QPainter>

#include "settings/ini_file.h"

namespace sorae {

OverlayDrawing::OverlayDrawing(const PictureOverlay& overlay, int imageAreaLeft) {
    auto toPicture = [imageAreaLeft](const PicturePoint& p) {
        return QPointF(imageAreaLeft + p.column + 0.5, p.row + 0.5);
    };
    paths_.reserve(overlay.lines.size());
    for (const OverlayPolyline& line : overlay.lines) {
        if (line.points.size() < 2) continue;
        QPainterPath path(toPicture(line.points.front()));
        for (std::size_t i = 1; i < line.points.size(); ++i) path.lineTo(toPicture(line.points[i]));
        const QRectF bounds = path.boundingRect();
        paths_.push_back({line.kind, std::move(path), bounds});
    }
    for (const OverlayLabel& label : overlay.labels)
        labels_.push_back({toPicture(label.at), QString::fromStdString(label.text), label.parallel});
}

void OverlayDrawing::paint(QPainter& painter, const QTransform& toDevice, const QRectF& visible,
                           const OverlayStyle& style) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    const QRectF deviceVisible = visible.isEmpty() ? QRectF() : toDevice.mapRect(visible);
    for (const Path& p : paths_) {
        const QRectF deviceBounds = toDevice.mapRect(p.bounds);
        // a straight line has bounds of no width or height; widen them by the pen
        if (!deviceVisible.isEmpty() && !deviceVisible.intersects(deviceBounds.adjusted(-1, -1, 1, 1))) continue;
        const QColor colour = p.kind == OverlayLineKind::Coast    ? style.coast
                              : p.kind == OverlayLineKind::Border ? style.border
                                                                  : style.grid;
        QPen pen(colour, style.lineWidth);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawPath(toDevice.map(p.path));
    }
    // Labels stay upright and unscaled: each is placed at its mapped anchor,
    // beside a parallel's left end or below a meridian's top end.
    QFont font = painter.font();
    font.setPixelSize(style.labelPixels);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QRectF deviceArea = painter.device() ? QRectF(0, 0, painter.device()->width(), painter.device()->height())
                                               : QRectF();
    for (const Label& label : labels_) {
        const QPointF anchor = toDevice.map(label.at);
        if (!deviceVisible.isEmpty() && !deviceVisible.contains(anchor)) continue;
        const int w = metrics.horizontalAdvance(label.text);
        QPointF baseline = label.parallel ? anchor + QPointF(3, -3) : anchor + QPointF(3, metrics.ascent() + 2);
        if (!deviceArea.isEmpty()) {
            baseline.setX(std::clamp(baseline.x(), deviceArea.left() + 1, deviceArea.right() - w - 1));
            baseline.setY(std::clamp(baseline.y(), deviceArea.top() + metrics.ascent() + 1,
                                     deviceArea.bottom() - metrics.descent() - 1));
        }
        painter.setPen(Qt::black);
        for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)})
            painter.drawText(baseline + d, label.text);
        painter.setPen(style.grid);
        painter.drawText(baseline, label.text);
    }
    painter.restore();
}

QImage PictureWithOverlay(const QImage& picture, const OverlayDrawing& drawing, const OverlayStyle& style) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    if (out.isNull() || drawing.empty()) return out;
    QPainter painter(&out);
    drawing.paint(painter, QTransform(), QRectF(), style);
    return out;
}

bool SaveColourJpeg(const QImage& picture, const std::string& path, std::string* error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(100);
    if (picture.isNull() || !writer.write(picture.convertToFormat(QImage::Format_RGB888))) {
        if (error) *error = picture.isNull() ? "empty picture" : writer.errorString().toStdString();
        return false;
    }
    if (!writeFileReplacing(path, std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace sorae
