// The orbit settings dialog: satellites to receive, elevation thresholds and
// overlap rules, the station position with its presets, the element download
// address and automatic update, the map and satellite colours and what the
// map adds (footprints, night side, pass times). Most
// controls change the settings at once; the coordinate and address fields
// are taken over when the dialog closes (the address also by 更新, which
// fetches from it), a bad coordinate keeps the dialog open, and the closing
// asks the main window (through signals, in this order) for whatever the
// changes need.
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "settings/app_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sorae {

class ColourPanel;
class UpDownButtons;

class OrbitSettingsDialog : public QDialog {
    Q_OBJECT
public:
    OrbitSettingsDialog(AppSettings& settings, QWidget* parent = nullptr);

    static QString floatText(double v);  // the float-to-text form of coordinates

    bool passSettingsChanged() const { return passMark_; }
    bool locationChanged() const { return locationMark_; }

    // Runs the closing sequence (also run by closing the window); false,
    // with nothing taken over, while a coordinate is not valid.
    bool applyClose();

signals:
    void downloadRequested();           // the address changed: fetch, nothing else
    void updateRequested();             // "更新": fetch, then compute the passes
    void receptionListChanged();        // rebuild the reception list, clear the skip time
    void stationChanged();              // set up the projection, redraw the base map
    void computePassesRequested();
    void baseMapColoursChanged();       // redraw the base map
    void mapOptionsChanged();           // footprints, night side, pass times: redraw the map
    void invalidCoordinate(const QString& message);
    void passListRequested();           // "通過一覧": show every coming pass

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QWidget* buildSatelliteGroup();
    QWidget* buildPassGroup();
    QWidget* buildStationGroup();
    QWidget* buildElementGroup();
    QWidget* buildMapColourGroup();
    QWidget* buildSatelliteColourGroup();
    QWidget* buildMapOptionGroup();
    void choosePreset(int index);
    void updateElevationLabels();
    void chooseColour(ColourPanel* panel, ColourValue* target, bool redrawsBaseMap);
    bool takeCoordinate(QLineEdit* edit, double* stored, int presetColumn);
    static std::optional<double> typedCoordinate(const QLineEdit* edit, int presetColumn);
    void markCoordinate(QLineEdit* edit, int presetColumn);
    // The typed address becomes the stored one; true when it changed.
    bool takeAddress();

    AppSettings& settings_;
    bool passMark_ = false;
    bool locationMark_ = false;
    double ownLatitude_;
    double ownLongitude_;

    std::array<QCheckBox*, 8> satelliteBoxes_{};
    UpDownButtons* maxElevUpDown_ = nullptr;  // UpDown1
    UpDownButtons* minElevUpDown_ = nullptr;  // UpDown2
    UpDownButtons* updateDayUpDown_ = nullptr;  // UpDown3
    QLabel* maxElevLabel_ = nullptr;   // Label7
    QLabel* minElevLabel_ = nullptr;   // Label10
    QLabel* updateDayLabel_ = nullptr;
    QLabel* updateDayCaption_ = nullptr;
    QLabel* updateDayUnit_ = nullptr;
    QLineEdit* latitudeEdit_ = nullptr;   // Edit2
    QLineEdit* longitudeEdit_ = nullptr;  // Edit3
    QComboBox* presetBox_ = nullptr;      // ComboBox1
    QLineEdit* addressEdit_ = nullptr;    // Edit1
};

}  // namespace sorae
