#include "app/map_controller.h"

#include <QCoreApplication>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <vector>
#include <filesystem>

#include "app/main_window.h"
#include "app/pass_reception.h"
#include "app/program_clock.h"
#include "app/status_panels.h"
#include "imaging/qt/image_display.h"
#include "map/map_file_reader.h"

namespace sorae {

namespace {

bool isFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string MapController::findWorldMapFile(const std::string& programFolderFile,
                                            const std::string& executableFolder) {
    if (isFile(programFolderFile)) return programFolderFile;
    std::vector<std::string> shipped;
    if (!executableFolder.empty()) {
        shipped.push_back(executableFolder + "/AllWorld.map");
        shipped.push_back(executableFolder + "/../share/sorae-apt/AllWorld.map");
    }
#ifdef SORAE_SOURCE_DATA_DIR
    shipped.push_back(std::string(SORAE_SOURCE_DATA_DIR) + "/AllWorld.map");
#endif
    for (const std::string& path : shipped) {
        if (isFile(path)) return std::filesystem::path(path).lexically_normal().string();
    }
    return {};
}

MapController::MapController(MainWindow& window, PassReception& reception, QObject* parent)
    : QObject(parent), window_(window), reception_(reception), renderer_(window.settings()) {
    const std::string mapFile = findWorldMapFile(window_.state().paths.worldMapFile,
                                                 QCoreApplication::applicationDirPath().toStdString());
    renderer_.setMapFilePath(mapFile);
    // An empty map with no word would look like a drawing fault.
    if (const std::string problem = MapFileProblem(mapFile); !problem.empty()) {
        window_.statusPanels().setPanelText(0, QString::fromStdString(problem));
        std::fprintf(stderr, "sorae-apt: %s (%s)\n", problem.c_str(), mapFile.c_str());
    }
    selectedPass_.tracks = &tracks_;
    tracks_.onPassStatus = [this](const std::string& line) { showPassLine(line); };

    ImageDisplay& display = reception_.display();
    const QSize size = display.size();
    renderer_.resize(std::max(size.width(), 1), std::max(size.height(), 1));
    setUpAndDrawBaseMap();

    QToolButton* orbitButton = window_.speedButton(6);
    display.setOrbitViewShown(orbitButton->isChecked());
    connect(orbitButton, &QToolButton::toggled, this, &MapController::orbitButtonToggled);
    connect(&display, &ImageDisplay::areaResized, this, &MapController::areaResized);
}

void MapController::setUpAndDrawBaseMap() {
    renderer_.SetUpProjection();
    renderer_.DrawBaseMap();
}

void MapController::drawBaseMap() { renderer_.DrawBaseMap(); }

std::optional<double> MapController::globeCentreLongitude() const {
    if (!renderer_.projection().GlobeMode) return std::nullopt;
    return renderer_.projection().CentreLongitude;
}

MapTrackContext MapController::context() {
    MapTrackContext c;
    c.elementFilePath = window_.state().paths.elementFile;
    c.receptionNames = window_.state().receptionList;
    if (passSource_) passSource_(c);
    c.currentPassEnd = reception_.currentPass().end;
    c.stationNow = programStationNow();
    c.nowUtc = programUtcNow();
    if (replayTime_) {
        c.nextPass = reception_.currentPass();
        c.stationNow = *replayTime_;
        const DayTimeFields u = DecodeDayTime(DayTime{replayTime_->days - 9.0 / 24.0});
        c.nowUtc = UtcInstant{u.year, u.month, u.day, u.hour, u.minute, u.second};
    }
    c.stationLatitude = window_.settings().locateN;
    c.stationLongitude = window_.settings().locateE;
    return c;
}

void MapController::redraw(bool mapPassMode) {
    renderer_.setPassMode(mapPassMode);
    tracks_.context = context();
    renderer_.setUtcNow(tracks_.context.nowUtc);
    const bool drawn = renderer_.RedrawMap(selectedPass_);
    ImageDisplay& display = reception_.display();
    if (renderer_.lastDrawnMapMode()) {
        // The globe of the pass goes into the picture as an inset.
        display.setMapInset(renderer_.inset(), true);
        if (drawn && display.orbitViewShown()) display.composeScreen();
    } else {
        display.setMapInset(renderer_.inset(), false);
        if (drawn && display.orbitViewShown()) display.setOrbitViewImage(renderer_.workBitmap());
    }
}

std::optional<std::vector<SatelliteTrack>> MapController::WithSelectedPass::groundTracks() {
    std::optional<std::vector<SatelliteTrack>> ground = tracks->groundTracks();
    if (ground && track) ground->push_back(*track);
    return ground;
}

void MapController::showSelectedPass(std::optional<SatelliteTrack> track) {
    selectedPass_.track = std::move(track);
    // During a received pass the globe is shown; the flat map follows later.
    if (window_.speedButton(6)->isChecked() && !renderer_.passMode()) redraw(false);
}

bool MapController::showPassPosition(const std::string& satellite) {
    const auto line = ShowPassPosition(satellite, context());
    if (line) showPassLine(*line);
    return line.has_value();
}

void MapController::showPassLine(const std::string& line) {
    if (!line.empty()) {
        window_.statusPanels().setPanelText(1, QString::fromStdString(line));
        return;
    }
    // No pass under way (any more): the line of one gives way to the next pass.
    if (window_.statusPanels().panelText(1).startsWith(QStringLiteral("現在通過中")) && restoreNextPassLine_)
        restoreNextPassLine_();
}

std::optional<double> MapController::maximumElevation(const std::string& satellite, DayTime start,
                                                      DayTime end) const {
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, window_.state().paths.elementFile) != 0) return std::nullopt;
    const DayTimeFields u = DecodeDayTime(DayTime{start.days - 9.0 / 24.0});
    return MaximumElevationDuring(sets, count, satellite, UtcInstant{u.year, u.month, u.day, u.hour, u.minute, u.second},
                                  (end.days - start.days) * 24.0 * 60.0, window_.settings().locateN,
                                  window_.settings().locateE);
}

void MapController::orbitButtonToggled(bool down) {
    ImageDisplay& display = reception_.display();
    display.setOrbitViewShown(down);
    if (down) redraw(window_.reception().receptionActive);
}

void MapController::refresh() {
    if (window_.speedButton(6)->isChecked()) redraw(renderer_.passMode());
}

void MapController::areaResized() {
    const QSize size = reception_.display().size();
    renderer_.resize(std::max(size.width(), 1), std::max(size.height(), 1));
    setUpAndDrawBaseMap();
    if (window_.speedButton(6)->isChecked()) redraw(renderer_.passMode());
}

}  // namespace sorae
