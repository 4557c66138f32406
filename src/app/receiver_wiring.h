// The receiver control of the main window: one ReceiverController for the
// whole program, the receiver settings dialog (TForm4) and the IC-PCR volume
// dialog (TForm7), the power-off at shutdown and the controller's messages
// in the status bar.
#pragma once

#include <memory>

#include "receiver/serial_link.h"

class QDialog;

namespace sorae {

class MainWindow;
class ReceiverController;

// The controller, created at the first call as a child of the window (named
// "ReceiverController"); `link` replaces the real serial port at creation.
ReceiverController& receiverControllerOf(MainWindow& window, std::unique_ptr<SerialLink> link = {});

QDialog* createReceiverSettingsForm(MainWindow& window);  // TForm4
QDialog* createPcrVolumeForm(MainWindow& window);         // TForm7

}  // namespace sorae
