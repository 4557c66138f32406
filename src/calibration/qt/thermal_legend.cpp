#include "calibration/qt/thermal_legend.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <memory>
#include <mutex>

#include "calibration/colour_products.h"
#include "imaging/qt/picture_image.h"

namespace sorae {
namespace {

void outlinedText(QPainter& p, const QPointF& at, const QString& text, const QFont& font) {
    QPainterPath path;
    path.addText(at, font, text);
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(path);
}

}  // namespace

PictureBuffer DecorateThermalPicture(const PictureBuffer& thermal, const std::string& title) {
    const QImage picture = PictureToImage(thermal);
    const int height = std::max(picture.height(), 240) + kTitleHeight;
    QImage canvas(picture.width() + kLegendWidth, height, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, kTitleHeight, picture);

    QFont titleFont;
    titleFont.setPixelSize(18);
    outlinedText(p, QPointF(8, 24), QString::fromStdString(title), titleFont);

    // the scale: warm at the top, cold at the bottom
    const int barLeft = picture.width() + 10, barWidth = 24;
    const int barTop = kTitleHeight + 10, barBottom = height - 20;
    const double span = kThermalScaleHighC - kThermalScaleLowC;
    for (int y = barTop; y <= barBottom; ++y) {
        const double celsius = kThermalScaleHighC - span * (y - barTop) / double(barBottom - barTop);
        const ColourValue c = ThermalScaleColour(celsius);
        p.setPen(QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)));
        p.drawLine(barLeft, y, barLeft + barWidth - 1, y);
    }
    QFont labelFont;
    labelFont.setPixelSize(12);
    p.setFont(labelFont);
    for (int celsius = int(kThermalScaleLowC); celsius <= int(kThermalScaleHighC); celsius += 10) {
        const int y = barTop + int(std::lround((kThermalScaleHighC - celsius) / span * (barBottom - barTop)));
        p.setPen(Qt::white);
        p.drawLine(barLeft + barWidth, y, barLeft + barWidth + 5, y);
        p.drawText(barLeft + barWidth + 8, y + 5, QString::number(celsius));
    }
    p.drawText(barLeft, barTop - 2, QStringLiteral("°C"));
    p.end();
    return ImageToPicture(canvas);
}

ThermalDecorator MakeThermalDecorator() {
    auto mutex = std::make_shared<std::mutex>();
    return [mutex](const PictureBuffer& thermal, const std::string& title) {
        std::lock_guard lock(*mutex);
        return DecorateThermalPicture(thermal, title);
    };
}

}  // namespace sorae
