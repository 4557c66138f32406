// The image settings dialog (TForm5): the four [Pic] settings that govern
// picture building at the end of a reception, and whether the received
// sound is kept as a FLAC file (Pic/SaveAudio), and which calibrated
// products are made beside the pictures. Every change goes into the
// settings record at once; the file is written at shutdown.
#pragma once

#include <QDialog>

#include "settings/app_settings.h"

class QCheckBox;
class QLabel;
class QRadioButton;

namespace sorae {

class UpDownButtons;

class ImageSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImageSettingsDialog(AppSettings& settings, QWidget* parent = nullptr);

protected:
    // centred on the main window each time it is shown
    void showEvent(QShowEvent* event) override;

private:
    AppSettings& settings_;
    QCheckBox* saveFiles_;
    UpDownButtons* minLines_;
    QLabel* minLinesLabel_;
    QRadioButton* wholePass_;
    QRadioButton* syncedSpan_;
    QRadioButton* titleOn_;
    QRadioButton* titleOff_;
    QCheckBox* saveAudio_;
    // the calibrated products made beside the pictures ([Products])
    QCheckBox* productTemperature_;
    QCheckBox* productThermal_;
    QCheckBox* productFalseColour_;
    QCheckBox* productCloudTop_;
    QCheckBox* productMapColour_;
    QCheckBox* saveGeoTiff_;
    QCheckBox* mapOverlay_;  // Pic/MapOverlay
};

// Top left that centres a box of size inner on the frame outer (halves
// truncated toward zero).
QPoint CentredTopLeft(const QRect& outer, const QSize& inner);

}  // namespace sorae
