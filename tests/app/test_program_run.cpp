// The program itself: it starts with its sound devices, and a termination
// request from the session ends it through the normal shutdown, with the
// settings saved.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>

#include "common/qt_application.h"

namespace {

// Starts the program on a fresh settings file, lets it come up, asks it to
// end with SIGTERM and returns the settings file it left.
QString settingsAfterTermination(const QProcessEnvironment& env) {
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("sorae-apt.ini")));
    EXPECT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Station]\nCallSign=JA1XYZ\n[Wave]\nSignalGain=-4\n");
    ini.close();

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(SORAE_BINARY_DIR "/src/app/sorae-apt"),
                  {QStringLiteral("--data-dir"), dir.path()});
    EXPECT_TRUE(program.waitForStarted());
    // Give it time to come up and open its devices.
    EXPECT_FALSE(program.waitForFinished(2500));
    ::kill(pid_t(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    EXPECT_TRUE(ini.open(QIODevice::ReadOnly));
    return QString::fromUtf8(ini.readAll());
}

void expectSaved(const QString& text) {
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Station]\nCallSign=JA1XYZ\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SignalGain=-4\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[Color]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("MainMaxmum=0\n")));
}

QProcessEnvironment offscreen() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

}  // namespace

TEST(ProgramRun, TerminationSavesTheSettings) {
    if (std::getenv("SORAE_PULSE_AVAILABLE") == nullptr) {
        GTEST_SKIP() << "needs the test sound server";
    }
    sorae::testsupport::ensureApplication();
    expectSaved(settingsAfterTermination(offscreen()));
}

// Without a sound server the start-up stops on the device-error box; a
// termination request there still ends the program with the settings saved.
TEST(ProgramRun, TerminationDuringTheStartUpMessageBoxSavesTheSettings) {
    sorae::testsupport::ensureApplication();
    QTemporaryDir noServer;
    QProcessEnvironment env = offscreen();
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + noServer.filePath(QStringLiteral("none")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), noServer.path());
    expectSaved(settingsAfterTermination(env));
}
