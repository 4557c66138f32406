#include "app/receiver_wiring.h"

#include <QDialog>
#include <QPushButton>

#include "app/main_window.h"
#include "app/status_panels.h"
#include "receiver/qt/pcr_volume_dialog.h"
#include "receiver/qt/receiver_controller.h"
#include "receiver/qt/receiver_settings_dialog.h"

namespace sorae {

ReceiverController& receiverControllerOf(MainWindow& w, std::unique_ptr<SerialLink> link) {
    const QString name = QStringLiteral("ReceiverController");
    if (auto* existing = w.findChild<ReceiverController*>(name, Qt::FindDirectChildrenOnly)) return *existing;
    auto* receiver = new ReceiverController(w.settings(), std::move(link), &w);
    receiver->setObjectName(name);
    QObject::connect(receiver, &ReceiverController::statusMessage, &w,
                     [&w](const QString& text) { w.statusPanels().setPanelText(0, text); });
    // The configured model is switched off first when the program ends.
    w.powerOffReceiver = [receiver] { receiver->powerOffForShutdown(); };
    return *receiver;
}

QDialog* createReceiverSettingsForm(MainWindow& w) {
    auto* dialog = new ReceiverSettingsDialog(w.settings(), receiverControllerOf(w), &w);
    // The input dialog's "IC-PCR音量" button is there for the IC-PCR only,
    // also when the model changes while that dialog is open.
    QObject::connect(dialog, &ReceiverSettingsDialog::modelChanged, &w, [&w](int model) {
        auto* input = w.findChild<QDialog*>(QStringLiteral("TForm9"), Qt::FindDirectChildrenOnly);
        if (input == nullptr) return;
        if (auto* volume = input->findChild<QPushButton*>(QStringLiteral("Button3"))) volume->setEnabled(model == 1);
    });
    return dialog;
}

QDialog* createPcrVolumeForm(MainWindow& w) {
    auto* dialog = new PcrVolumeDialog(w.settings(), receiverControllerOf(w), &w);
    // It is opened from the input dialog and centred on it.
    if (auto* input = w.findChild<QDialog*>(QStringLiteral("TForm9"), Qt::FindDirectChildrenOnly)) {
        dialog->setCentreAnchor(input);
    }
    return dialog;
}

}  // namespace sorae
