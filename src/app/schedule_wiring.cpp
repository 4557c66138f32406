#include "app/schedule_wiring.h"

#include <QApplication>
#include <QMessageBox>

#include "app/main_window.h"
#include "app/map_controller.h"
#include "app/program_clock.h"
#include "app/receiver_wiring.h"
#include "app/scheduler_controller.h"
#include "orbit/qt/element_downloader.h"
#include "orbit/qt/orbit_settings_dialog.h"
#include "orbit/qt/pass_list_dialog.h"

namespace sorae {

QDialog* createOrbitSettingsForm(MainWindow& w) { return new OrbitSettingsDialog(w.settings(), &w); }

namespace {

// TForm11: the pass list, judged against the scheduler's table, its chosen
// pass drawn on the map.
PassListDialog* createPassListForm(MainWindow& w, SchedulerController* scheduler, MapController* map) {
    PassListDialog::Host host;
    host.request = [&w] {
        const AppSettings& s = w.settings();
        PassRequest request;
        request.elementFilePath = w.state().paths.elementFile;
        request.receptionList = w.state().receptionList;
        request.settings.minElevDeg = s.minElev;
        request.settings.maxElevDeg = s.maxElev;
        request.settings.sortElev = s.sortElev;
        request.settings.sortNext = s.sortNext;
        request.settings.updateDays = s.updateDay;
        request.settings.stationLatDeg = s.locateN;
        request.settings.stationLonDeg = s.locateE;
        request.now = programUtcNow();
        return request;
    };
    host.schedulerTable = [scheduler]() -> const PassMemory* {
        return scheduler->passTableValid() ? &scheduler->passMemory() : nullptr;
    };
    auto* dialog = new PassListDialog(std::move(host), &w);
    QObject::connect(dialog, &PassListDialog::passSelected, map,
                     [map](const ListedPass& pass, const std::vector<SkyPoint>& samples) {
                         SatelliteTrack track;
                         // Labelled with its acquisition time beside the satellite's own track.
                         track.name = pass.satellite + " " + FormatTimeOfDay(pass.start).substr(0, 5);
                         track.colourSlot = pass.setIndex;
                         for (const SkyPoint& p : samples)
                             track.points.push_back({p.subSatellite.latitudeRad * 180.0 / 3.141592653589793,
                                                     p.subSatellite.longitudeRad * 180.0 / 3.141592653589793});
                         map->showSelectedPass(std::move(track));
                     });
    QObject::connect(dialog, &PassListDialog::selectionCleared, map, [map] { map->showSelectedPass(std::nullopt); });
    QObject::connect(dialog, &QDialog::finished, map, [map] { map->showSelectedPass(std::nullopt); });
    return dialog;
}

}  // namespace

ScheduleParts installScheduling(MainWindow& w, PassReception& reception) {
    ScheduleParts parts;
    parts.map = new MapController(w, reception, &w);
    parts.scheduler = new SchedulerController(w, reception, receiverControllerOf(w), *parts.map, &w);

    MapController* map = parts.map;
    SchedulerController* scheduler = parts.scheduler;
    PassListDialog* passList = createPassListForm(w, scheduler, map);
    map->setNextPassLineSource([scheduler] { scheduler->restoreNextPassLine(); });

    auto* orbit = w.findChild<OrbitSettingsDialog*>(QStringLiteral("TForm3"), Qt::FindDirectChildrenOnly);
    if (orbit == nullptr) return parts;
    // Over the modal orbit settings the list has to be modal too to be usable.
    QObject::connect(orbit, &OrbitSettingsDialog::passListRequested, passList, [passList] { passList->open(); });
    QObject::connect(orbit, &OrbitSettingsDialog::downloadRequested, scheduler,
                     [scheduler] { scheduler->downloadElements(false); });
    QObject::connect(orbit, &OrbitSettingsDialog::updateRequested, scheduler,
                     [scheduler] { scheduler->downloadElements(true); });
    QObject::connect(orbit, &OrbitSettingsDialog::receptionListChanged, scheduler, [&w, scheduler] {
        w.state().rebuildReceptionList(w.settings());
        scheduler->downloader().setReceptionList(w.state().receptionList);
        scheduler->resetSkippedPassEnd();
    });
    QObject::connect(orbit, &OrbitSettingsDialog::stationChanged, map, [map] { map->setUpAndDrawBaseMap(); });
    QObject::connect(orbit, &OrbitSettingsDialog::computePassesRequested, scheduler,
                     [scheduler] { scheduler->computePasses(); });
    QObject::connect(orbit, &OrbitSettingsDialog::baseMapColoursChanged, map, [map] { map->drawBaseMap(); });
    QObject::connect(orbit, &OrbitSettingsDialog::mapOptionsChanged, map, [map] { map->refresh(); });
    QObject::connect(orbit, &OrbitSettingsDialog::invalidCoordinate, orbit, [orbit](const QString& message) {
        QApplication::beep();
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("SORAE-APT"), message, QMessageBox::Ok,
                                    orbit);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    return parts;
}

}  // namespace sorae
