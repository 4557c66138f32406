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

QString captureStoppedMessage() { return QStringLiteral("録音デバイスが停止しました"); }

QString captureRestoredMessage() { return QStringLiteral("録音デバイスが復帰しました"); }

QString savedDeviceMissingMessage(const QString& name) {
    return QStringLiteral("設定された録音デバイス「%1」が見つかりません\n標準の入力デバイスで録音します").arg(name);
}

QString soundMixerMissingMessage() {
    return QStringLiteral("サウンド設定のプログラム（pavucontrol）が見つかりません\n"
                          "pavucontrol をインストールしてください");
}

void showFailureBox(const QString& message) {
    QApplication::beep();
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("SORAE-APT"), message,
                          QMessageBox::Ok);
}

}  // namespace sorae
