// The polar sky plot of one pass: the horizon as the rim, rings at 30 and
// 60 degrees of elevation, north up and east to the right, the pass's path
// with its acquisition end marked and the time every two minutes along it,
// and the satellites above the horizon now with their azimuth and elevation.
#pragma once

#include <QWidget>

#include <vector>

#include "orbit/sky_track.h"

namespace sorae {

class SkyPlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit SkyPlotWidget(QWidget* parent = nullptr);

    // A satellite above the horizon now.
    struct Satellite {
        QString name;
        double azimuthDeg = 0.0;
        double elevationDeg = 0.0;
    };

    void setTrack(std::vector<SkyPoint> samples, const QString& caption);
    void setSatellitesNow(std::vector<Satellite> satellites);
    const std::vector<Satellite>& satellitesNow() const { return now_; }
    void clearTrack();
    const std::vector<SkyPoint>& track() const { return samples_; }

    QSize sizeHint() const override { return {260, 280}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SkyPoint> samples_;
    std::vector<Satellite> now_;
    QString caption_;
};

}  // namespace sorae
