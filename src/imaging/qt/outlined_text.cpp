#include "imaging/qt/outlined_text.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

namespace sorae {

QString ResolveFontFamily(const QString& wanted) {
    if (QFontDatabase::hasFamily(wanted)) return wanted;
    static const QStringList fallbacks{"IPAGothic", "IPAPGothic", "Noto Sans CJK JP",
                                       "DejaVu Sans"};
    for (const QString& family : fallbacks)
        if (QFontDatabase::hasFamily(family)) return family;
    return QFont().family();
}

QFont TextFont(const QString& family, int points) {
    QFont font(ResolveFontFamily(family));
    font.setPixelSize(points * 96 / 72);
    // crisp strokes: the outline stays pure black around pure white
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void DrawOutlinedText(QImage& image, QPoint position, const QString& text, const QFont& font) {
    if (image.isNull() || text.isEmpty()) return;
    QPainter painter(&image);
    painter.setFont(font);
    painter.setBackgroundMode(Qt::TransparentMode);
    const int baseline = position.y() + QFontMetrics(font).ascent();
    painter.setPen(Qt::black);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) painter.drawText(position.x() + dx, baseline + dy, text);
    painter.setPen(Qt::white);
    painter.drawText(position.x(), baseline, text);
}

}  // namespace sorae
