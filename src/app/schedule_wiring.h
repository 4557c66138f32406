// Brings the orbit side of the program into the main window: the orbit
// settings dialog (TForm3), the map of the orbit view and the reception
// scheduler, connected to each other, to the pass reception and to the
// receiver control.
#pragma once

class QDialog;

namespace sorae {

class MainWindow;
class MapController;
class PassReception;
class SchedulerController;

struct ScheduleParts {
    MapController* map = nullptr;
    SchedulerController* scheduler = nullptr;
};

// TForm3; created in the dialogs' start-up order, connected by installScheduling.
QDialog* createOrbitSettingsForm(MainWindow& window);

// Creates the map and the scheduler (children of the window) after the pass
// reception; the receiver control is created here if it was not already.
ScheduleParts installScheduling(MainWindow& window, PassReception& reception);

}  // namespace sorae
