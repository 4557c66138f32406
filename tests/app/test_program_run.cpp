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

}  // namespace

TEST(ProgramRun, TerminationSavesTheSettings) {
    if (std::getenv("SORAE_PULSE_AVAILABLE") == nullptr) {
        GTEST_SKIP() << "without a sound server the program waits on its message box";
    }
    sorae::testsupport::ensureApplication();
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("sorae-apt.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Station]\nCallSign=JA1XYZ\n[Wave]\nSignalGain=-4\n");
    ini.close();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(SORAE_BINARY_DIR "/src/app/sorae-apt"),
                  {QStringLiteral("--data-dir"), dir.path()});
    ASSERT_TRUE(program.waitForStarted());
    // Give it time to come up and open its devices.
    EXPECT_FALSE(program.waitForFinished(2500));
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Station]\nCallSign=JA1XYZ\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SignalGain=-4\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("[Color]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("MainMaxmum=0\n")));
}
