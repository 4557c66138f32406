#include "capture/qt/capture_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace sorae {

QString captureOpenFailedMessage() {
    return QStringLiteral(
        "録音デバイスをオープンできないためプログラムの実行ができません\n"
        "デバイスが使用中か録音フォーマットに対応していない可能性があります");
}

QString playbackOpenFailedMessage() { return QStringLiteral("再生デバイスが使用できません"); }

QString outOfMemoryMessage() { return QStringLiteral("メモリが確保できません"); }

void showFailureBox(const QString& message) {
    QApplication::beep();
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("SORAE-APT"), message,
                          QMessageBox::Ok);
}

}  // namespace sorae
