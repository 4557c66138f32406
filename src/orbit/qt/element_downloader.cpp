#include "orbit/qt/element_downloader.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <utility>

#include "common/atomic_file.h"
#include "orbit/element_text_check.h"

namespace sorae {

const QString ElementDownloader::kDownloading = QStringLiteral("軌道要素をダウンロード中...");
const QString ElementDownloader::kSucceeded = QStringLiteral("正常に軌道要素をダウンロードしました");
const QString ElementDownloader::kFailed = QStringLiteral("軌道要素のダウンロードに失敗しました");
const QString ElementDownloader::kNoFile = QStringLiteral("軌道要素ファイルがありません");
const QString ElementDownloader::kFailedKeptOld =
    QStringLiteral("軌道要素のダウンロードに失敗しました。前の軌道要素を使います");
const QString ElementDownloader::kRejected = QStringLiteral("ダウンロードした軌道要素を読めません");
const QString ElementDownloader::kRejectedKeptOld =
    QStringLiteral("ダウンロードした軌道要素を読めません。前の軌道要素を使います");

ElementDownloader::ElementDownloader(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ElementDownloader::onTimeout);
}

ElementDownloader::~ElementDownloader() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

bool ElementDownloader::busy() const { return !reply_.isNull(); }

bool ElementDownloader::start(const QString& address, const QString& elementFile) {
    if (busy()) return false;
    elementFile_ = elementFile;
    timedOut_ = false;
    emit statusText(kDownloading);

    const QUrl url(address.trimmed());
    if (address.trimmed().isEmpty() || !url.isValid() || url.scheme().isEmpty()) {
        // Nothing to open: report as a failed download, the old file stays.
        QTimer::singleShot(0, this, [this] { finish(false); });
        return true;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("WININET Sample Program"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    body_.clear();
    tooLarge_ = false;
    reply_ = network_->get(request);
    connect(reply_.data(), &QNetworkReply::readyRead, this, &ElementDownloader::onReadyRead);
    connect(reply_.data(), &QNetworkReply::finished, this, &ElementDownloader::onFinished);
    timer_.start(timeoutMs_);
    return true;
}

void ElementDownloader::onTimeout() {
    if (!reply_) return;
    timedOut_ = true;
    reply_->abort();  // finished() follows with OperationCanceledError
}

void ElementDownloader::onReadyRead() {
    if (!reply_ || tooLarge_) return;
    // Taken as it arrives, so that an answer that is no element file (a
    // huge page, an endless stream) is refused before it fills the memory.
    body_ += reply_->read(kMaxAnswerBytes + 1 - body_.size());
    if (body_.size() > kMaxAnswerBytes) {
        tooLarge_ = true;
        body_.clear();
        reply_->abort();  // finished() follows with OperationCanceledError
    }
}

void ElementDownloader::onFinished() {
    timer_.stop();
    QNetworkReply* reply = reply_.data();
    if (!reply) return;
    reply->deleteLater();
    reply_ = nullptr;

    if (tooLarge_) {
        finish(false, true);
        return;
    }
    onReadyRead();  // what is left in the reply's buffer
    if (tooLarge_) {
        finish(false, true);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool isHttp = reply->url().scheme().startsWith(QLatin1String("http"));
    if (timedOut_ || reply->error() != QNetworkReply::NoError || (isHttp && status != 200)) {
        finish(false);
        return;
    }
    const QByteArray body = std::exchange(body_, QByteArray());
    // A body cut short on a closed connection, a NUL byte, a page that is
    // no element file: refused before it can replace a good file.
    const CheckedElementText checked = CheckDownloadedElements(body.toStdString(), receptionList_);
    if (!checked.ok()) {
        finish(false, true);
        return;
    }
    // Every write and the flush are checked before the new file takes the
    // old one's place: a full disk leaves the old file as it was.
    const FileWriteResult written = WriteFileAtomically(QFile::encodeName(elementFile_).toStdString(), checked.text);
    if (!written.ok) {
        finish(false);
        return;
    }
    finish(true);
}

void ElementDownloader::finish(bool ok, bool rejected) {
    const bool exists = QFile::exists(elementFile_);
    if (ok)
        emit statusText(kSucceeded);
    else if (rejected)
        emit statusText(exists ? kRejectedKeptOld : kRejected);
    else
        emit statusText(exists ? kFailedKeptOld : kFailed);
    if (!exists) emit statusText(kNoFile);
    emit finished(ok);
}

}  // namespace sorae
