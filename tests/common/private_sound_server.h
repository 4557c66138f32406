// A sound server of a test's own, for tests that change the server: set its
// default source, plug sources in and out, kill and restart it. The shared
// test server stays untouched. The sound backend connects once per process,
// so the tests run again in a child process that sees only the private
// server:
//
//   TEST(Suite, OnAPrivateServer) { runWithPrivateSoundServer("PrivateServer.*"); }
//   TEST(PrivateServer, Something) {
//       if (!inPrivateSoundServerChild()) GTEST_SKIP() << "runs under OnAPrivateServer";
//       ...
//   }
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

namespace sorae::testsupport {

namespace detail {
inline QString serverScript() { return QStringLiteral(SORAE_SHARED_DATA_DIR "/../scripts/test-services.sh"); }
inline QString privateServerDir() { return qEnvironmentVariable("SORAE_PRIVATE_SERVER_CHILD"); }
}  // namespace detail

inline bool inPrivateSoundServerChild() { return !detail::privateServerDir().isEmpty(); }

// In the child: stops or (re)starts the private server; true on success.
inline bool stopPrivateSoundServer() {
    return QProcess::execute(QStringLiteral("bash"),
                             {detail::serverScript(), QStringLiteral("stop"), detail::privateServerDir()}) == 0;
}
inline bool startPrivateSoundServer() {
    return QProcess::execute(QStringLiteral("bash"),
                             {detail::serverScript(), QStringLiteral("start"), detail::privateServerDir()}) == 0;
}

// `pactl ARGS` against the server of this process; its output, trimmed,
// or nothing when it fails.
inline std::optional<QString> pactl(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("pactl"), arguments);
    if (!p.waitForFinished(10000) || p.exitCode() != 0) return std::nullopt;
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Starts a private server, runs the tests matching `filter` in a child
// process connected to it, and stops the server again.
inline void runWithPrivateSoundServer(const char* filter) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(QProcess::execute(QStringLiteral("bash"), {detail::serverScript(), QStringLiteral("start"), dir.path()}),
              0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SORAE_PRIVATE_SERVER_CHILD"), dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path() + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("PULSE_SERVER"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    child.start(QString::fromLocal8Bit(exe), {QStringLiteral("--gtest_filter=") + QLatin1String(filter)});
    const bool finished = child.waitForFinished(180000);
    if (!finished) child.kill();
    QProcess::execute(QStringLiteral("bash"), {detail::serverScript(), QStringLiteral("stop"), dir.path()});
    ASSERT_TRUE(finished);
    const std::string out = QString::fromLocal8Bit(child.readAll()).toStdString();
    EXPECT_EQ(child.exitCode(), 0) << out;
    EXPECT_EQ(out.find("[  SKIPPED ]"), std::string::npos) << out;
    EXPECT_NE(out.find("[  PASSED  ]"), std::string::npos) << out;
}

}  // namespace sorae::testsupport
