// The receiver control settings dialog (TForm4): serial port, receiver model
// and antenna terminal, automatic control, and power buttons. It edits the
// Radio settings in place and acts on the receiver at once through the
// ReceiverController.
#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

#include "settings/app_settings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace sorae {

class ReceiverController;

class ReceiverSettingsDialog : public QDialog {
    Q_OBJECT
public:
    using PortLister = std::function<QStringList()>;

    // `listPorts` lists the ports for the port box (ListPorts by default).
    ReceiverSettingsDialog(AppSettings& settings, ReceiverController& receiver,
                           QWidget* parent = nullptr, PortLister listPorts = {});

    // The window the dialog is centred on each time it is shown (its parent
    // unless set).
    void setCentreAnchor(QWidget* anchor) { anchor_ = anchor; }

signals:
    // The receiver model was changed: the input dialog enables its
    // "IC-PCR音量" button exactly for model 1.
    void modelChanged(int model);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillPorts();
    void applyEnabledStates();
    void autoControlClicked(bool checked);
    void powerOnClicked();
    void powerOffClicked();
    void portChosen(int index);
    void portTyped();
    void modelChosen(int index);
    void antennaChosen(int index);
    void detectAgainClicked();
    void changePort(int index, const QString& name);

    AppSettings& settings_;
    ReceiverController& receiver_;
    PortLister listPorts_;
    QPointer<QWidget> anchor_;
    bool filling_ = false;

    QCheckBox* autoControl_;
    QFrame* panel_;
    QLabel* portLabel_;
    QComboBox* portBox_;
    QLabel* modelLabel_;
    QComboBox* modelBox_;
    QLabel* antennaLabel_;
    QComboBox* antennaBox_;
    QPushButton* detectButton_;
    QPushButton* powerOnButton_;
    QPushButton* powerOffButton_;
};

}  // namespace sorae
