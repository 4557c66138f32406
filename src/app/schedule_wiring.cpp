#include "app/schedule_wiring.h"

#include <QApplication>
#include <QMessageBox>

#include "app/main_window.h"
#include "app/map_controller.h"
#include "app/receiver_wiring.h"
#include "app/scheduler_controller.h"
#include "orbit/qt/element_downloader.h"
#include "orbit/qt/orbit_settings_dialog.h"

namespace sorae {

QDialog* createOrbitSettingsForm(MainWindow& w) { return new OrbitSettingsDialog(w.settings(), &w); }

ScheduleParts installScheduling(MainWindow& w, PassReception& reception) {
    ScheduleParts parts;
    parts.map = new MapController(w, reception, &w);
    parts.scheduler = new SchedulerController(w, reception, receiverControllerOf(w), *parts.map, &w);

    auto* orbit = w.findChild<OrbitSettingsDialog*>(QStringLiteral("TForm3"), Qt::FindDirectChildrenOnly);
    if (orbit == nullptr) return parts;
    MapController* map = parts.map;
    SchedulerController* scheduler = parts.scheduler;
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
