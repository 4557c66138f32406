#include "app/program_forms.h"

#include <QDialog>

#include "app/main_window.h"
#include "app/reception_hooks.h"
#include "app/program_clock.h"
#include "app/receiver_wiring.h"
#include "app/reception_controller.h"
#include "app/schedule_wiring.h"
#include "capture/qt/input_device_dialog.h"

namespace sorae {

namespace {

QDialog* placeholder(MainWindow& mainWindow, const char* objectName, const char* caption) {
    auto* dialog = new QDialog(&mainWindow);
    dialog->setObjectName(QString::fromLatin1(objectName));
    dialog->setWindowTitle(QString::fromUtf8(caption));
    return dialog;
}

void createInputDeviceDialog(MainWindow& w) {
    InputDeviceDialog::Host host;
    host.inputDeviceIndex = [&w] { return w.settings().input; };
    host.signalType = [&w] { return w.blockHandler().signalType(); };
    host.signalGain = [&w] { return w.settings().signalGain; };
    host.receiverIsIcPcr = [&w] { return w.settings().type == 1; };
    host.setSignalGain = [&w](int position) {
        w.settings().signalGain = position;
        w.applySignalGain();
    };
    host.reconfigure = [&w](int row, int chosenType) { w.reconfigureSoundDevices(row, chosenType); };
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

}  // namespace

void createProgramForms(MainWindow& mainWindow) {
    placeholder(mainWindow, "TForm2", "過去画像");          // past images
    createInputDeviceDialog(mainWindow);
    createRecordingChangeNotice(&mainWindow);
    createOrbitSettingsForm(mainWindow);
    createReceiverSettingsForm(mainWindow);
    placeholder(mainWindow, "TForm5", "画像設定");          // image settings
    placeholder(mainWindow, "TForm6", "手動受信");          // manual reception direction
    createPcrVolumeForm(mainWindow);
    // The scheduler and the map drive the pass reception, so they come after it.
    if (auto* reception = mainWindow.findChild<ReceptionController*>(QString(), Qt::FindDirectChildrenOnly)) {
        reception->setClock(&programUnixSeconds);
        installScheduling(mainWindow, *reception);
    }
}

}  // namespace sorae
