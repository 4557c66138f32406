// The program itself under faults a station meets: a second window on the
// same program folder, and a termination request while the settings
// cannot be saved. Nothing may wait for a box nobody will close.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

#include "common/qt_application.h"
#include "common/small_tmpfs.h"

namespace {

QProcessEnvironment environment(bool withSoundServer) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!withSoundServer) env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/none"));
    return env;
}

void start(QProcess& program, const QString& folder, bool withSoundServer) {
    program.setProcessEnvironment(environment(withSoundServer));
    program.start(QStringLiteral(SORAE_BINARY_DIR "/src/app/sorae-apt"), {QStringLiteral("--data-dir"), folder});
    ASSERT_TRUE(program.waitForStarted());
}

bool endsWithin(QProcess& program, int ms) {
    return program.waitForFinished(ms) || program.state() == QProcess::NotRunning;
}

TEST(ProgramFaults, ASecondWindowOnTheSameFolderSaysSoAndEnds) {
    sorae::testsupport::ensureApplication();
    QTemporaryDir folder;
    QFile ini(folder.filePath(QStringLiteral("sorae-apt.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Wave]\nSignalGain=-4\n");
    ini.close();

    QProcess first;
    start(first, folder.path(), false);
    EXPECT_FALSE(first.waitForFinished(2000)) << "the first window runs";
    QProcess second;
    start(second, folder.path(), false);
    // It says so, then waits on its message box until it is closed or the
    // session ends it.
    for (int i = 0; i < 100 && !second.readAllStandardError().contains("in use by another"); ++i)
        second.waitForReadyRead(100);
    ::kill(pid_t(second.processId()), SIGTERM);
    EXPECT_TRUE(endsWithin(second, 20000));
    EXPECT_EQ(second.exitCode(), 1);
    ::kill(pid_t(first.processId()), SIGTERM);
    EXPECT_TRUE(endsWithin(first, 20000));
    EXPECT_EQ(first.exitCode(), 0);

    // The next window on the folder starts as usual.
    QProcess third;
    start(third, folder.path(), false);
    EXPECT_FALSE(third.waitForFinished(2000));
    ::kill(pid_t(third.processId()), SIGTERM);
    EXPECT_TRUE(endsWithin(third, 20000));
    EXPECT_EQ(third.exitCode(), 0);
}

// A termination request ends the program even where saving the settings
// fails, which would otherwise raise a box; what can be said goes to the
// error output.
TEST(ProgramFaults, TerminationNeverWaitsOnTheSettingsBox) {
    sorae::testsupport::ensureApplication();
    const bool withSoundServer = std::getenv("SORAE_PULSE_AVAILABLE") != nullptr;
    sorae::testsupport::SmallTmpfs disk;
    QTemporaryDir scratch;
    const struct {
        const char* what;
        std::function<QString()> folder;
    } cases[] = {
        {"a folder where the settings file should be",
         [&] {
             QDir(scratch.path()).mkpath(QStringLiteral("blocked/sorae-apt.ini"));
             return scratch.filePath(QStringLiteral("blocked"));
         }},
        {"a full disk",
         [&] {
             if (!disk.available()) return QString();
             QFile ini(QString::fromStdString(disk.file("sorae-apt.ini")));
             ini.open(QIODevice::WriteOnly);
             ini.write("[Wave]\nSignalGain=-4\n");
             ini.close();
             return QString::fromStdString(disk.path());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = c.folder();
        if (folder.isEmpty()) continue;  // no tmpfs here
        QProcess program;
        start(program, folder, withSoundServer);
        EXPECT_FALSE(program.waitForFinished(2500));
        if (c.what == std::string("a full disk")) disk.fill();
        ::kill(pid_t(program.processId()), SIGTERM);
        EXPECT_TRUE(endsWithin(program, 20000));
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(program.readAllStandardError().contains("sorae-apt: 設定ファイルを保存できません"));
    }
}

}  // namespace
