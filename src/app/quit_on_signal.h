// Ends the program through the main window's normal close when the session
// asks it to (SIGTERM, SIGHUP, SIGINT), so the settings are saved and the
// devices closed as on any other shutdown. The handlers go in before the
// window is built: a signal that comes while a message box waits (at
// start-up, or one the shutdown itself raises) closes that box and any that
// follows, and is remembered; the window is closed as soon as it is there.
#pragma once

#include <QObject>
#include <QPointer>

class QTimer;
class QWidget;

namespace sorae {

class TerminationSignals : public QObject {
public:
    // Installs the handlers at once.
    explicit TerminationSignals(QObject* parent = nullptr);

    // A signal has come (also before any window was bound).
    static bool requested();

    // From now on a signal closes window on the GUI thread; one that came
    // earlier closes it at once.
    void closeWindowOnSignal(QWidget& window);

private:
    void signalled();
    void closeModalBoxes();

    QPointer<QWidget> window_;
    QTimer* boxCloser_ = nullptr;
};

}  // namespace sorae
