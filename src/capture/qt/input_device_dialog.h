// The input device dialog (TForm9, modeless): the recording device list
// with the device in use checked, the signal type, the input gain with its
// label, the live level meter, and buttons for the desktop's recording
// settings and the IC-PCR volume. Closing it with another device or signal
// type asks the owner to re-open the sound devices.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>

#include "capture/level_meter.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
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
        std::function<int()> inputDeviceIndex;  // row in use
        std::function<int()> signalType;        // stored SignalType
        std::function<int()> signalGain;        // slider position
        std::function<bool()> receiverIsIcPcr;
        std::function<void(int)> setSignalGain;  // stores it and applies the gain
        // Re-opens the devices: new row (-1 = keep) and chosen type 0..2.
        std::function<void(int row, int chosenType)> reconfigure;
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

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing (the close box, Esc) ends here.
    void done(int result) override;

private:
    void buildDeviceList();
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
    QPushButton* soundSettings_ = nullptr;
    QPushButton* icPcrVolume_ = nullptr;
};

}  // namespace sorae
