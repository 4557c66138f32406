#include "app/quit_on_signal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace sorae {

namespace {

int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t signalSeen = 0;

// Only async-signal-safe work here: a flag and one byte into the pipe.
void onSignal(int) {
    signalSeen = 1;
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        signalled();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGHUP, SIGINT}) {
        ::sigaction(s, &action, nullptr);
    }
}

bool TerminationSignals::requested() { return signalSeen != 0; }

void TerminationSignals::closeWindowOnSignal(QWidget& window) {
    window_ = &window;
    if (requested()) signalled();
}

void TerminationSignals::signalled() {
    // A message box would keep the program from ending (the window's own
    // close may raise one too, say for settings it cannot save): every box
    // is closed from now on, until the program has ended.
    closeModalBoxes();
    if (boxCloser_ == nullptr) {
        boxCloser_ = new QTimer(this);
        boxCloser_->setInterval(50);
        connect(boxCloser_, &QTimer::timeout, this, &TerminationSignals::closeModalBoxes);
    }
    boxCloser_->start();
    if (window_) {
        // Later signals only repeat the request.
        QTimer::singleShot(0, window_.data(), [w = window_] {
            if (w) w->close();
        });
    }
}

void TerminationSignals::closeModalBoxes() {
    QWidget* box = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QDialog*>(box)) {
        dialog->reject();  // also a box whose buttons offer no escape
    } else if (box != nullptr) {
        box->close();
    }
}

}  // namespace sorae
