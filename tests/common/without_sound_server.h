// Runs the current test again in a child process whose environment points at
// no sound server. The sound backend connects once per process, so a test of
// what happens without a server cannot run beside the others in one process.
//
//   if (!testsupport::inChildWithoutSoundServer()) {
//       testsupport::rerunInChildWithoutSoundServer();
//       return;
//   }
//   ... the checks, run in the child ...
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace sorae::testsupport {

inline bool inChildWithoutSoundServer() { return std::getenv("SORAE_NO_SERVER_CHILD") != nullptr; }

inline void rerunInChildWithoutSoundServer() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2")
                               .arg(QString::fromLatin1(test->test_suite_name()), QString::fromLatin1(test->name()));
    QTemporaryDir empty;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SORAE_NO_SERVER_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), empty.path());
    env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    child.start(QString::fromLocal8Bit(exe), {filter});
    ASSERT_TRUE(child.waitForFinished(60000));
    const std::string out = QString::fromLocal8Bit(child.readAll()).toStdString();
    EXPECT_EQ(child.exitCode(), 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
}

}  // namespace sorae::testsupport
