// The input device dialog (TForm9, modeless): the recording device list
// with the device in use checked, the signal type, the input gain with its
// label, the automatic level switch, the live level meter, and buttons for
// the sound server's mixer and the IC-PCR volume. The list follows the
// sources as they come and go, and each row keeps the id of its device, so
// the device chosen is the one shown. Closing it with another device or
// signal type asks the owner to re-open the sound devices; Escape closes it
// with everything as it was when it was shown.
#pragma once

#include <QDialog>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <functional>
#include <optional>

#include "capture/level_meter.h"

class QCheckBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class QTreeWidget;

namespace sorae {

// Text of the gain label for a slider position: -7 -> "[+7dB]", 0 -> "[0dB]",
// 5 -> "[-5dB]".
QString gainLabelText(int position);
// The input format a signal type needs: "48kHz Mono", "96kHz Stereo", "96kHz Mono".
QString requirementText(int signalTypeChoice);
// The meter's pixels as an image of 13 x 100.
QImage levelMeterImage(const LevelMeter& meter);

// The notice shown while the sound devices are re-opened (TForm10).
QDialog* createRecordingChangeNotice(QWidget* parent);

class InputDeviceDialog : public QDialog {
    Q_OBJECT
public:
    // What the dialog reads and changes in the program.
    struct Host {
        std::function<QByteArray()> deviceInUse;  // its id; empty for the default source
        std::function<int()> signalType;        // stored SignalType
        std::function<int()> signalGain;        // slider position
        std::function<bool()> receiverIsIcPcr;
        std::function<void(int)> setSignalGain;  // stores it and applies the gain
        std::function<bool()> autoLevel;
        std::function<void(bool)> setAutoLevel;  // stores it and applies it
        // Re-opens the devices: the new device's id (empty for the default
        // source; nothing = keep) and the chosen type 0..2.
        std::function<void(const std::optional<QByteArray>& deviceId, int chosenType)> reconfigure;
        std::function<void()> showIcPcrVolume;
        std::function<void()> openRecordingSettings;
        // The current envelope (12000 samples) for the meter when shown.
        std::function<const double*()> currentEnvelope;
    };

    InputDeviceDialog(Host host, QWidget* parent = nullptr);

    // DrawLevelMeter: called after the envelope stage while showing.
    void drawLevelMeter(const double* envelope, int samples);
    const LevelMeter& levelMeter() const { return meter_; }

    // The radio choice: 0 audio, 1 "24ｋHz IQ", 2 "24kHz IF".
    int chosenType() const;
    // Moves the check mark to the row in use (after a re-configuration).
    void markDeviceInUse();
    // Lists the sources again, keeping the selection on the same device
    // (none when it went away). Runs whenever the system's sources change.
    void buildDeviceList();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Every way of closing ends here; after Escape nothing is applied.
    void done(int result) override;

private:
    // What Escape goes back to: the choices as they were when shown.
    struct Shown {
        int gain = 0;
        bool autoLevel = false;
        int type = 0;
    };
    std::optional<QByteArray> selectedDevice() const;
    QList<QByteArray> listedDevices() const;  // ids of rows 1...
    static QList<QByteArray> currentDevices();
    void selectDevice(const std::optional<QByteArray>& id);
    void listClicked();
    void updateRequirement();

    Host host_;
    LevelMeter meter_;
    QTreeWidget* list_ = nullptr;
    QRadioButton* radios_[3] = {};
    QLabel* requirement_ = nullptr;
    QSlider* gain_ = nullptr;
    QLabel* gainLabel_ = nullptr;
    QLabel* meterImage_ = nullptr;
    QCheckBox* autoLevel_ = nullptr;
    QPushButton* soundSettings_ = nullptr;
    QPushButton* icPcrVolume_ = nullptr;
    QTimer* devicePoll_ = nullptr;
    Shown shown_;
    bool cancelled_ = false;
};

}  // namespace sorae
