#include "orbit/qt/sky_plot_widget.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace sorae {

SkyPlotWidget::SkyPlotWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SkyPlot"));
    setMinimumSize(200, 220);
}

void SkyPlotWidget::setTrack(std::vector<SkyPoint> samples, const QString& caption) {
    samples_ = std::move(samples);
    caption_ = caption;
    update();
}

void SkyPlotWidget::setSatellitesNow(std::vector<Satellite> satellites) {
    now_ = std::move(satellites);
    update();
}

void SkyPlotWidget::clearTrack() {
    samples_.clear();
    caption_.clear();
    update();
}

void SkyPlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(16, 24, 40));

    const int captionHeight = fontMetrics().height() + 4;
    const double radius = std::max(10.0, std::min(width(), height() - captionHeight) / 2.0 - 18.0);
    const QPointF centre(width() / 2.0, captionHeight + (height() - captionHeight) / 2.0);
    auto toScreen = [&](double azimuthDeg, double elevationDeg) {
        const PlotPoint p = SkyPlotPosition(azimuthDeg, elevationDeg);
        return QPointF(centre.x() + p.x * radius, centre.y() - p.y * radius);
    };

    painter.setPen(QPen(QColor(90, 110, 140), 1));
    painter.setBrush(Qt::NoBrush);
    for (double elevation : {0.0, 30.0, 60.0}) {
        const double r = radius * (90.0 - elevation) / 90.0;
        painter.drawEllipse(centre, r, r);
    }
    painter.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
    painter.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));

    painter.setPen(Qt::white);
    const struct {
        double azimuth;
        const char* label;
    } compass[] = {{0, "北"}, {90, "東"}, {180, "南"}, {270, "西"}};
    const QFontMetrics metrics = fontMetrics();
    for (const auto& c : compass) {
        const QPointF rim = toScreen(c.azimuth, -9.0);  // just outside the horizon
        const QString text = QString::fromUtf8(c.label);
        const QRectF box(rim.x() - metrics.horizontalAdvance(text) / 2.0 - 8.0, rim.y() - metrics.height() / 2.0,
                         metrics.horizontalAdvance(text) + 16.0, metrics.height());
        painter.drawText(box, Qt::AlignCenter, text);
    }
    painter.setPen(QColor(150, 170, 200));
    for (double elevation : {30.0, 60.0})
        painter.drawText(toScreen(0.0, elevation) + QPointF(3, -2), QString::number(int(elevation)) + "°");

    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 2, width(), captionHeight), Qt::AlignHCenter | Qt::AlignTop,
                     caption_.isEmpty() ? QStringLiteral("通過を選んでください") : caption_);

    // The satellites up now: a dot with name, azimuth and elevation.
    for (const Satellite& s : now_) {
        const QPointF at = toScreen(s.azimuthDeg, s.elevationDeg);
        painter.setPen(QPen(QColor(80, 220, 255), 2));
        painter.setBrush(QColor(80, 220, 255));
        painter.drawEllipse(at, 3.5, 3.5);
        painter.setPen(QColor(200, 240, 255));
        // Below right of the dot, clear of the track's time labels.
        painter.drawText(at + QPointF(6, 14), QStringLiteral("%1 %2°/%3°")
                                                 .arg(s.name)
                                                 .arg(s.azimuthDeg, 0, 'f', 0)
                                                 .arg(s.elevationDeg, 0, 'f', 0));
    }
    painter.setBrush(Qt::NoBrush);
    if (samples_.empty()) return;

    QPainterPath path(toScreen(samples_.front().azimuthDeg, samples_.front().elevationDeg));
    for (const SkyPoint& s : samples_) path.lineTo(toScreen(s.azimuthDeg, s.elevationDeg));
    painter.setPen(QPen(QColor(255, 210, 60), 2));
    painter.drawPath(path);

    // Times along the track: acquisition, every whole two minutes, loss.
    painter.setPen(QColor(255, 230, 150));
    const QFontMetrics small = fontMetrics();
    QRectF lastLabel;
    for (std::size_t i = 0; i < samples_.size(); ++i) {
        const SkyPoint& s = samples_[i];
        const DayTimeFields f = DecodeDayTime(s.time);
        const bool marked = i == 0 || i + 1 == samples_.size() ||
                            (f.minute % 2 == 0 && DecodeDayTime(samples_[i - 1].time).minute != f.minute);
        if (!marked) continue;
        const QString label = QString::fromStdString(FormatTimeOfDay(s.time)).left(5);
        const QPointF at = toScreen(s.azimuthDeg, s.elevationDeg);
        const QRectF box(at + QPointF(5, 2), QSizeF(small.horizontalAdvance(label), small.height()));
        if (box.intersects(lastLabel)) continue;
        painter.drawEllipse(at, 1.5, 1.5);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, label);
        lastLabel = box;
    }

    // Acquisition: a filled dot; loss: a ring.
    painter.setPen(QPen(QColor(120, 255, 120), 2));
    painter.setBrush(QColor(120, 255, 120));
    painter.drawEllipse(toScreen(samples_.front().azimuthDeg, samples_.front().elevationDeg), 4, 4);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 120, 120), 2));
    painter.drawEllipse(toScreen(samples_.back().azimuthDeg, samples_.back().elevationDeg), 4, 4);
    const auto highest = std::max_element(samples_.begin(), samples_.end(), [](const SkyPoint& a, const SkyPoint& b) {
        return a.elevationDeg < b.elevationDeg;
    });
    painter.setPen(Qt::white);
    painter.drawText(toScreen(highest->azimuthDeg, highest->elevationDeg) + QPointF(6, 4),
                     QString::number(highest->elevationDeg, 'f', 1) + "°");
}

}  // namespace sorae
