// The IC-PCR volume dialog (TForm7): a vertical slider whose top is full
// volume. Every step is stored in the settings and, while an IC-PCR is on,
// sent to it.
#pragma once

#include <QDialog>
#include <QPointer>

#include "settings/app_settings.h"

class QLabel;
class QSlider;

namespace sorae {

class ReceiverController;

class PcrVolumeDialog : public QDialog {
    Q_OBJECT
public:
    PcrVolumeDialog(AppSettings& settings, ReceiverController& receiver, QWidget* parent = nullptr);

    // The window the dialog is centred on each time it is shown (the input
    // device dialog it is opened from; its parent unless set).
    void setCentreAnchor(QWidget* anchor) { anchor_ = anchor; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sliderMoved(int position);

    AppSettings& settings_;
    ReceiverController& receiver_;
    QPointer<QWidget> anchor_;
    QSlider* slider_;
    QLabel* valueLabel_;
};

}  // namespace sorae
