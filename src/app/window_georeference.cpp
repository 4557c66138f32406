#include "app/window_georeference.h"

#include "app/decoded_pass_overlay.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/reception_controller.h"

namespace sorae {

WindowGeoreference::WindowGeoreference(MainWindow& window, ReceptionController& reception,
                                       OverlayController& overlay, std::string worldMapFile)
    : QObject(&reception), window_(window), reception_(reception), overlay_(overlay),
      worldMapFile_(std::move(worldMapFile)) {
    connect(&reception, &ReceptionController::picturesBuilt, this, &WindowGeoreference::picturesBuilt);
}

void WindowGeoreference::picturesBuilt() {
    overlay_.setPictureGeoreference(std::nullopt);
    lastNote_.clear();
    const PassPictureResult& pictures = reception_.lastPictures();
    const std::string& satellite = reception_.currentPass().satellite;
    const bool manual = pictures.satellitePart == "MN";
    const auto start = reception_.passStartUnix();
    if (!pictures.built || pictures.rows < 2 || manual || !start || satellite.empty()) return;

    // Line times count from the pass's first block: a replayed recording's
    // own start, else the clock.
    const LineStore& store = reception_.lineStore();
    DecodedPass pass{std::string(), &store, &pictures, RecordingStart{*start, "first sound block", true}};
    DecodedPassSettings settings;
    settings.satellite = satellite;
    settings.direction = window_.reception().currentPassDirection;
    settings.elementFile = window_.state().paths.elementFile;
    settings.worldMapFile = worldMapFile_;
    settings.offsets = window_.settings().georeferenceOffsets;

    PassPlacement placement = PlaceDecodedPass(pass, settings);
    std::vector<std::string> notes = std::move(placement.messages);
    if (placement.swath) {
        auto swath = std::make_shared<SwathGeolocation>(std::move(*placement.swath));
        if (window_.settings().mapOverlay) {
            const auto drawn = OverlaySavedPictures(pass, settings, *swath);
            notes.insert(notes.end(), drawn.begin(), drawn.end());
        }
        PictureGeoreference g;
        g.rows = pictures.rows;
        g.turned = settings.direction == 1;
        g.picturePoint = [swath](GeoPoint p) { return swath->picturePoint(p); };
        g.groundPoint = [swath](PicturePoint p) { return swath->groundPoint(p); };
        overlay_.setPictureGeoreference(std::move(g));
    }
    for (const std::string& n : notes) lastNote_ += (lastNote_.empty() ? "" : "; ") + n;
}

}  // namespace sorae
