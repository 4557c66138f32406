// Places the pictures of a pass received or replayed in the window on Earth
// once they are built: the satellite of the pass, its lines timed from the
// pass's first sound block, the nearest element set, the time fitted to the
// coasts. The map overlay then follows the shown pictures, and with the
// image setting "地図を重ねる" the saved JPEGs are overlaid too. Manual
// receptions (no satellite) are not placed; their pictures stay as they are.
#pragma once

#include <QObject>
#include <string>

namespace sorae {

class MainWindow;
class OverlayController;
class ReceptionController;

class WindowGeoreference : public QObject {
    Q_OBJECT
public:
    WindowGeoreference(MainWindow& window, ReceptionController& reception, OverlayController& overlay,
                       std::string worldMapFile);

    // What the last placement told ("" when it was not tried).
    const std::string& lastNote() const { return lastNote_; }

private:
    void picturesBuilt();

    MainWindow& window_;
    ReceptionController& reception_;
    OverlayController& overlay_;
    std::string worldMapFile_;
    std::string lastNote_;
};

}  // namespace sorae
