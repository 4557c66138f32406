#include "app/program_forms.h"

#include <QCoreApplication>
#include <QDialog>
#include <QStringList>
#include <filesystem>

#include "app/main_window.h"
#include "app/map_controller.h"
#include "app/overlay_controller.h"
#include "app/window_georeference.h"
#include "app/reception_hooks.h"
#include "app/program_clock.h"
#include "app/receiver_wiring.h"
#include "app/replay_controller.h"
#include "app/reception_controller.h"
#include "app/schedule_wiring.h"
#include "app/status_panels.h"
#include "capture/leftover_files.h"
#include "capture/qt/input_device_dialog.h"
#include "capture/qt/sound_capture.h"
#include "settings/ini_file.h"

namespace sorae {

namespace {

void createInputDeviceDialog(MainWindow& w) {
    InputDeviceDialog::Host host;
    host.deviceInUse = [&w] { return w.soundCapture().requestedId(); };
    host.signalType = [&w] { return w.blockHandler().signalType(); };
    host.signalGain = [&w] { return w.settings().signalGain; };
    host.receiverIsIcPcr = [&w] { return w.settings().type == 1; };
    host.setSignalGain = [&w](int position) {
        w.settings().signalGain = position;
        w.applySignalGain();
    };
    host.autoLevel = [&w] { return w.settings().autoLevel; };
    host.setAutoLevel = [&w](bool on) { w.setAutoLevel(on); };
    host.reconfigure = [&w](const std::optional<QByteArray>& deviceId, int chosenType) {
        w.reconfigureSoundDevices(deviceId, chosenType);
    };
    host.showIcPcrVolume = [&w] {
        if (auto* volume = w.findChild<QDialog*>(QStringLiteral("TForm7"), Qt::FindDirectChildrenOnly)) {
            volume->open();
        }
    };
    host.currentEnvelope = [&w] { return w.blockHandler().demodOutput(); };
    auto* dialog = new InputDeviceDialog(std::move(host), &w);
    w.receptionHooks().onDrawLevelMeter = [dialog](const double* envelope, int samples) {
        dialog->drawLevelMeter(envelope, samples);
    };
}

// What a killed run left: its half-written pictures and settings go, the
// sound of the pass it was receiving is finished. Status panel 0 tells.
QString tidyLeftovers(MainWindow& w) {
    const ProgramPaths& paths = w.state().paths;
    removeStaleTemporaryFile(paths.settingsFile);
    const LeftoverFiles left = tidyPicturesFolder(paths.picturesFolder);
    QStringList told;
    for (const std::string& kept : left.finished) {
        told << QStringLiteral("中断された受信音声を保存しました: %1")
                    .arg(QString::fromStdString(std::filesystem::path(kept).filename().string()));
    }
    for (const std::string& problem : left.problems) told << QString::fromStdString(problem);
    return told.join(QStringLiteral(" / "));
}

}  // namespace

void createProgramForms(MainWindow& mainWindow) {
    const QString leftovers = tidyLeftovers(mainWindow);
    // The pass reception first: the scheduler and the map below take it.
    auto* passReception = new ReceptionController(mainWindow);
    // The map overlay over the pictures and the live view (SpeedButton14).
    const std::string worldMap = MapController::findWorldMapFile(
        mainWindow.state().paths.worldMapFile, QCoreApplication::applicationDirPath().toStdString());
    auto* overlay = new OverlayController(mainWindow, passReception->display(), worldMap);
    new WindowGeoreference(mainWindow, *passReception, *overlay, worldMap);
    mainWindow.endReceptionForShutdown = [passReception] { passReception->endForShutdown(); };
    passReception->createPastImageBrowser();                // TForm2
    createInputDeviceDialog(mainWindow);
    createRecordingChangeNotice(&mainWindow);
    createOrbitSettingsForm(mainWindow);
    createReceiverSettingsForm(mainWindow);
    passReception->createImageSettingsDialog();             // TForm5
    passReception->createManualReceptionDialog();           // TForm6
    createPcrVolumeForm(mainWindow);
    // The scheduler and the map drive the pass reception, so they come after it.
    passReception->setClock(&programUnixSeconds);
    const ScheduleParts parts = installScheduling(mainWindow, *passReception);
    // The replay feeds the reception and holds the scheduler while it runs.
    auto* replay = new ReplayController(mainWindow, *passReception, parts.scheduler, parts.map);
    // The line of the pass under way goes when the pass's pictures are made.
    if (parts.map != nullptr) {
        QObject::connect(passReception, &ReceptionController::picturesBuilt, parts.map, &MapController::passEnded);
        QObject::connect(replay, &ReplayController::finished, parts.map, &MapController::passEnded);
    }
    if (!leftovers.isEmpty()) mainWindow.statusPanels().setPanelText(0, leftovers);
}

}  // namespace sorae
