#include "app/window_georeference.h"

#include <QTimer>

#include "app/decode_geo_step.h"
#include "app/decoded_pass_overlay.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/product_view.h"
#include "app/reception_controller.h"
#include "app/status_panels.h"
#include "geo/live_swath.h"
#include "recording/recording_gaps.h"
#include "imaging/qt/image_display.h"
#include "settings/satellite_offsets.h"

namespace sorae {

namespace {
// How often the lines received are looked at; the geometry itself is built
// again only every LiveSwathTiming::refreshLines lines.
constexpr int kLiveCheckMilliseconds = 250;
}  // namespace

WindowGeoreference::WindowGeoreference(MainWindow& window, ReceptionController& reception,
                                       OverlayController& overlay, std::string worldMapFile)
    : QObject(&reception), window_(window), reception_(reception), overlay_(overlay),
      worldMapFile_(std::move(worldMapFile)) {
    connect(&reception, &ReceptionController::picturesBuilt, this, &WindowGeoreference::picturesBuilt);
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("LiveGeometryTimer"));
    connect(timer, &QTimer::timeout, this, &WindowGeoreference::updateLiveGeometry);
    timer->start(kLiveCheckMilliseconds);
}

WindowGeoreference::~WindowGeoreference() = default;

void WindowGeoreference::dropLiveGeometry() {
    if (live_) overlay_.setLiveGeoreference(std::nullopt, {}, 0);
    live_.reset();
    livePass_.reset();
    liveNote_.clear();
    liveBuilds_ = 0;
}

void WindowGeoreference::updateLiveGeometry() {
    const ReceptionState& state = window_.reception();
    const std::optional<RecordingStart> start = reception_.passStart();
    const std::string satellite = state.manualReception ? std::string() : reception_.currentPass().satellite;
    if (!reception_.display().receptionActive() || !start || satellite.empty()) {
        if (livePass_) dropLiveGeometry();
        return;
    }
    const LineStore& store = reception_.lineStore();
    const int lines = store.lineCount;
    if (lines < 1) return;
    const std::pair<std::string, double> pass{satellite, start->unixSeconds};
    if (livePass_ != pass) {
        // A new pass: its orbit once, from the set nearest its start.
        dropLiveGeometry();
        livePass_ = pass;
        const auto orbit = LiveSwath::orbitFromElementFile(window_.state().paths.elementFile, satellite,
                                                           start->unixSeconds, &liveNote_);
        if (!orbit) return;
        const SatelliteOffsets o = OffsetsForSatellite(window_.settings().georeferenceOffsets, satellite);
        live_ = std::make_unique<LiveSwath>(*orbit, GeoreferenceOffsets{o.timeSeconds, o.rollDeg, o.pitchDeg, o.yawDeg},
                                            start->unixSeconds);
    }
    if (!live_ || !live_->due(lines)) return;
    std::string error;
    // A replayed recording that lost sound midway: the lines after the gap
    // are placed with the loss added, as the finished pictures will be.
    const std::vector<RecordingGap> gaps = FindRecordingGaps(store);
    auto swath = live_->build(store, lines, &error, [&gaps](int line) { return SecondsLostBefore(gaps, line); });
    if (!swath) {
        liveNote_ = error;
        return;
    }
    ++liveBuilds_;
    auto shared = std::make_shared<SwathGeolocation>(std::move(*swath));
    PictureGeoreference g;
    g.rows = shared->rows();
    g.turned = false;  // rows and columns as received; the live view turns them itself
    g.picturePoint = [shared](GeoPoint p) { return shared->picturePoint(p); };
    g.groundPoint = [shared](PicturePoint p) { return shared->groundPoint(p); };
    overlay_.setLiveGeoreference(std::move(g), [&store] { return store.lineCount; }, state.currentPassDirection);
}

// The products that wait for the pass's place, as `decode` makes them: the
// map-coloured picture on the chooser and, when the settings ask, written
// beside the pictures with the temperature TIFF made a GeoTIFF.
void WindowGeoreference::placedProducts(const SwathGeolocation& swath, std::vector<std::string>& notes) {
    ProductView* view = reception_.productView();
    const PassCalibration* calibration = reception_.lastCalibration();
    if (!calibration || !InfraredChannel(*calibration)) return;
    PlacedPassInputs placed = PlacedPassInputsOf(swath, worldMapFile_, notes);
    const ProductReport report = WritePlacedPassProducts(*calibration, reception_.lastPictures().filesWritten,
                                                         ProductsChosen(window_.settings()), placed);
    for (const std::string& f : report.filesWritten) notes.push_back("wrote " + f);
    for (const std::string& e : report.errors) notes.push_back("error: " + e);
    if (!report.errors.empty()) {
        QString text = QStringLiteral("温度・カラー画像を保存できません");
        for (const std::string& e : report.errors) text += QStringLiteral(" / ") + QString::fromStdString(e);
        window_.statusPanels().setPanelText(0, text);
    }
    if (view) view->setLandMask(std::move(placed.landMask));
}

void WindowGeoreference::picturesBuilt() {
    dropLiveGeometry();
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
    DecodedPassSettings settings;
    settings.satellite = satellite;
    settings.direction = window_.reception().currentPassDirection;
    std::optional<std::array<PictureBuffer, 2>> untitled;
    if (pictures.titled) untitled = UntitledPictures(store, pictures, settings.direction);
    DecodedPass pass{std::string(), &store, &pictures, RecordingStart{*start, "first sound block", true},
                     untitled ? &*untitled : nullptr};
    settings.elementFile = window_.state().paths.elementFile;
    settings.worldMapFile = worldMapFile_;
    settings.offsets = window_.settings().georeferenceOffsets;

    PassPlacement placement = PlaceDecodedPass(pass, settings);
    std::vector<std::string> notes = std::move(placement.messages);
    if (placement.swath) {
        auto swath = std::make_shared<SwathGeolocation>(std::move(*placement.swath));
        placedProducts(*swath, notes);
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
