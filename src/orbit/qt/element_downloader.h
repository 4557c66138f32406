// Fetches the two-line element file over HTTP and, when the element reader
// reads the whole answer and it holds a selected satellite, replaces the
// element file with it; otherwise the old file stays and the status says so. The
// transfer is asynchronous: the window keeps working and whatever has to
// follow the download runs when finished() arrives.
#pragma once

#include <QObject>
#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "orbit/pass_computation.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace sorae {

class ElementDownloader : public QObject {
    Q_OBJECT
public:
    explicit ElementDownloader(QObject* parent = nullptr);
    ~ElementDownloader() override;

    // Status texts shown in panel 0 of the status bar.
    static const QString kDownloading;  // "軌道要素をダウンロード中..."
    static const QString kSucceeded;    // "正常に軌道要素をダウンロードしました"
    static const QString kFailed;       // "軌道要素のダウンロードに失敗しました"
    static const QString kNoFile;       // "軌道要素ファイルがありません"
    // The failures when the old element file is there and stays in use.
    static const QString kFailedKeptOld;    // "...失敗しました。前の軌道要素を使います"
    static const QString kRejected;         // "ダウンロードした軌道要素を読めません"
    static const QString kRejectedKeptOld;  // "...読めません。前の軌道要素を使います"

    // Starts fetching address into elementFile. Returns false, and starts
    // nothing, while a download is still running.
    bool start(const QString& address, const QString& elementFile);
    bool busy() const;
    // The satellites one of which a download must hold (empty names: any).
    void setReceptionList(const ReceptionList& list) { receptionList_ = list; }

    // Element files are kilobytes; a longer answer is refused as it comes in.
    static constexpr qint64 kMaxAnswerBytes = 4 * 1024 * 1024;

    // How long a transfer may take as a whole before it is abandoned.
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

signals:
    void statusText(const QString& text);
    // ok: the element file was replaced by the fetched one.
    void finished(bool ok);

private:
    void onReadyRead();
    void onFinished();
    void onTimeout();
    void finish(bool ok, bool rejected = false);

    QNetworkAccessManager* network_;
    QPointer<QNetworkReply> reply_;
    QTimer timer_;
    QString elementFile_;
    ReceptionList receptionList_;
    int timeoutMs_ = 30000;
    bool timedOut_ = false;
    QByteArray body_;        // the answer so far
    bool tooLarge_ = false;  // it went beyond kMaxAnswerBytes
};

}  // namespace sorae
