// Ends the program through the main window's normal close when the session
// asks it to (SIGTERM, SIGHUP, SIGINT), so the settings are saved and the
// devices closed as on any other shutdown.
#pragma once

class QWidget;

namespace sorae {

// Installs the handlers; a signal closes window on the GUI thread.
void closeWindowOnTerminationSignals(QWidget& window);

}  // namespace sorae
