#include "capture/qt/server_default_source.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace sorae {

namespace {

constexpr int kAnswerMilliseconds = 3000;

// The output of `pactl ARGS`, or empty when it fails or does not answer.
QByteArray askPactl(const QString& pactl, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // Untranslated output, whatever the user's language.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(pactl, arguments);
    if (!process.waitForFinished(kAnswerMilliseconds)) {
        process.kill();
        process.waitForFinished(kAnswerMilliseconds);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
    return process.readAllStandardOutput();
}

}  // namespace

QByteArray serverDefaultSourceId() {
    const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
    if (pactl.isEmpty()) return {};
    QByteArray name = askPactl(pactl, {QStringLiteral("get-default-source")}).trimmed();
    if (!name.isEmpty()) return name;
    // Servers before PulseAudio 15 know no get-default-source; `info` has it
    // on a line of its own.
    const QByteArray info = askPactl(pactl, {QStringLiteral("info")});
    for (const QByteArray& line : info.split('\n')) {
        static const QByteArray key = QByteArrayLiteral("Default Source:");
        if (line.startsWith(key)) return line.mid(key.size()).trimmed();
    }
    return {};
}

}  // namespace sorae
