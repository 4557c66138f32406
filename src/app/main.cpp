// Program entry: a command when one is named, otherwise the main window and
// its dialogs.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <clocale>
#include <cstdio>
#include <exception>
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
    // Before anything can wait on a message box: a termination request from
    // then on still ends the program with its settings saved.
    sorae::TerminationSignals terminationSignals;
    // Qt takes the user's locale for the C library too; numbers the program
    // prints or reads (device commands, files, the command line) keep the
    // decimal point whatever it is.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("SORAE-APT"));
    QApplication::setApplicationDisplayName(QStringLiteral("SORAE-APT"));
    if (!programFolder) {
        std::fprintf(stderr, "sorae-apt: %s\n", error.c_str());
        return 1;
    }
    // The standard buttons of message boxes and dialogs in Japanese.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtJapanese);
    } else {
        std::fprintf(stderr, "sorae-apt: Qt's Japanese translation (qtbase_ja.qm) is missing\n");
    }

    // One window per program folder: a second one would write the same
    // settings and pictures.
    const sorae::ProgramFolderLock folderLock(*programFolder);
    if (folderLock.outcome() == sorae::ProgramFolderLock::Outcome::HeldByOther) {
        const QString text =
            QStringLiteral("このプログラムフォルダはほかの SORAE-APT が使用中です。\n%1\n"
                           "同じフォルダで二つ目の SORAE-APT は起動できません。"
                           "別のフォルダを使うときは --data-dir で指定してください。")
                .arg(QString::fromStdString(*programFolder));
        std::fprintf(stderr, "sorae-apt: the program folder %s is in use by another running copy\n",
                     programFolder->c_str());
        if (!sorae::TerminationSignals::requested())
            QMessageBox::warning(nullptr, QStringLiteral("SORAE-APT"), text);
        return 1;
    }
    if (folderLock.outcome() == sorae::ProgramFolderLock::Outcome::Unlockable) {
        std::fprintf(stderr, "sorae-apt: cannot lock %s (%s); make sure no other copy uses this folder\n",
                     folderLock.lockFile().c_str(), folderLock.reason().c_str());
    }

    sorae::MainWindowOptions options;
    options.programFolder = *programFolder;
    sorae::MainWindow window(options);
    if (!sorae::TerminationSignals::requested()) {
        sorae::createProgramForms(window);
    }
    terminationSignals.closeWindowOnSignal(window);
    if (sorae::TerminationSignals::requested()) {
        // Asked to end while starting up: end as a close would.
        window.shutdown();
        return 0;
    }
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
