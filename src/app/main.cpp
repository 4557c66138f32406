// Program entry: a command when one is named, otherwise the main window and
// its dialogs.
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/program_folder.h"
#include "app/program_forms.h"
#include "app/quit_on_signal.h"

static int runProgram(int argc, char** argv) {
    const int status = sorae::runCommandLine(argc, argv);
    if (status >= 0) {
        return status;
    }
    // The executable's folder is that of /proc/self/exe, whatever argv[0] says.
    std::string executable = argc > 0 ? argv[0] : "sorae-apt";
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        executable.assign(exe, std::size_t(n));
    }
    std::string error;
    const auto programFolder =
        sorae::resolveProgramFolder(sorae::dataDirOption(argc, argv), executable, &error);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SORAE-APT"));
    QApplication::setApplicationDisplayName(QStringLiteral("SORAE-APT"));
    if (!programFolder) {
        std::fprintf(stderr, "sorae-apt: %s\n", error.c_str());
        return 1;
    }

    sorae::MainWindowOptions options;
    options.programFolder = *programFolder;
    sorae::MainWindow window(options);
    sorae::createProgramForms(window);
    sorae::closeWindowOnTerminationSignals(window);
    window.show();
    try {
        return app.exec();
    } catch (const std::exception& e) {
        // Nothing should get here; if something does, tell the user and end
        // in the ordinary way, with the settings saved.
        QMessageBox::critical(nullptr, QStringLiteral("SORAE-APT"), QString::fromLocal8Bit(e.what()));
        window.shutdown();
        return 0;
    }
}

int main(int argc, char** argv) {
    const int status = runProgram(argc, argv);
    // The window has shut down and saved everything by now. The sound
    // server's client library can assert while its main loop is torn down by
    // the static destructors, so the process ends without running them.
    std::fflush(nullptr);
    std::_Exit(status);
}
