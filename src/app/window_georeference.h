// Places a pass received or replayed in the window on Earth. While it comes
// in, the live view follows the lines' own times and the satellite's
// nearest element set (LiveSwath: no coast alignment, the lines to come
// predicted, built again every few seconds of pass). Once the pictures are
// built, they are placed with the time fitted to the coasts; the map
// overlay then follows the shown pictures, with the image setting
// "地図を重ねる" the saved JPEGs are overlaid too, and the products that
// need the place (the map-coloured picture, the temperature GeoTIFF) are
// made as `decode` makes them. Manual receptions (no
// satellite) are not placed; their pictures stay as they are.
#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sorae {

class LiveSwath;
class MainWindow;
class OverlayController;
class ReceptionController;
class SwathGeolocation;

class WindowGeoreference : public QObject {
    Q_OBJECT
public:
    WindowGeoreference(MainWindow& window, ReceptionController& reception, OverlayController& overlay,
                       std::string worldMapFile);

    ~WindowGeoreference() override;

    // What the last placement told ("" when it was not tried).
    const std::string& lastNote() const { return lastNote_; }
    // Why the pass coming in has no live geometry ("" when it has one or
    // none was tried), and how often it was built for this pass.
    const std::string& liveNote() const { return liveNote_; }
    int liveBuilds() const { return liveBuilds_; }
    // Looks at the lines received so far and builds the live geometry when
    // due; a timer calls it while a pass comes in.
    void updateLiveGeometry();

private:
    void picturesBuilt();
    void dropLiveGeometry();
    void placedProducts(const SwathGeolocation& swath, std::vector<std::string>& notes);

    MainWindow& window_;
    ReceptionController& reception_;
    OverlayController& overlay_;
    std::string worldMapFile_;
    std::string lastNote_;
    // the live pass: which one (satellite, first sample) and its geometry
    std::optional<std::pair<std::string, double>> livePass_;
    std::unique_ptr<LiveSwath> live_;
    std::string liveNote_;
    int liveBuilds_ = 0;
};

}  // namespace sorae
