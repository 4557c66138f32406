// The pass list window (TForm11): every pass of the selected satellites in
// the next 24 hours, or 7 days with "7日間", with its look angles and
// whether the pass table takes it for automatic reception. Choosing a row
// shows the pass in the sky plot and asks for its track on the map; the
// window counts down to the next pass and shows the satellites up now.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <vector>

#include "orbit/all_passes.h"
#include "orbit/sky_track.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace sorae {

class SkyPlotWidget;

class PassListDialog : public QDialog {
    Q_OBJECT
public:
    struct Host {
        // Element file, selection, station, thresholds and the present UT.
        std::function<PassRequest()> request;
        // The scheduler's table when it has a valid one, else nullptr: the
        // window then computes the table the scheduler would compute now.
        std::function<const PassMemory*()> schedulerTable;
    };

    explicit PassListDialog(Host host, QWidget* parent = nullptr);

    // Computes the list again (also done when shown and on "7日間").
    void refresh();
    const PassList& passList() const { return list_; }
    int days() const;

signals:
    // The samples run from acquisition to loss, 10 seconds apart, with the
    // sub-satellite points of the ground track.
    void passSelected(const sorae::ListedPass& pass, const std::vector<sorae::SkyPoint>& samples);
    void selectionCleared();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fillTable();
    void rowChosen();
    // The countdown to the next pass and the satellites up now.
    void showNow();
    DayTime stationNow() const;

    Host host_;
    PassList list_;
    double maxElevDeg_ = 3.0;
    QTableWidget* table_ = nullptr;
    QCheckBox* weekBox_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* countdown_ = nullptr;
    QTimer clock_;
    SkyPlotWidget* skyPlot_ = nullptr;
};

}  // namespace sorae
