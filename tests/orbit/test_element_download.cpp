// The element download against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "orbit/element_text_check.h"
#include "orbit/qt/element_downloader.h"
#include "common/qt_application.h"
#include "common/small_tmpfs.h"

using sorae::ElementDownloader;

namespace {

const char* kTwoSetsLf =
    "NOAA 15                 \n"
    "1 25338U 98030A   19024.50000000  .00000040  00000-0  35000-4 0  9991\n"
    "2 25338  98.7500  40.0000 0010000 100.0000 260.0000 14.25900000 10001\n"
    "NOAA 18                 \n"
    "1 28654U 05018A   19024.50000000  .00000040  00000-0  35000-4 0  9992\n"
    "2 28654  99.1000  60.0000 0014000 200.0000 160.0000 14.12400000 70002\n";

// Serves a folder with Python's http.server on a free port.
class HttpServer {
public:
    explicit HttpServer(const QString& dir) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start("python3", {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                                   "--directory", dir});
        QByteArray seen;
        for (int i = 0; i < 100 && port_ == 0; ++i) {
            process_.waitForReadyRead(100);
            seen += process_.readAll();
            const int at = seen.indexOf("port ");
            if (at >= 0) {
                const int end = seen.indexOf(' ', at + 5);
                if (end > at) port_ = seen.mid(at + 5, end - at - 5).toInt();
            }
        }
    }
    ~HttpServer() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    QString url(const QString& path) const {
        return QString("http://127.0.0.1:%1/%2").arg(port_).arg(path);
    }
    int port() const { return port_; }

private:
    QProcess process_;
    int port_ = 0;
};

// Answers every connection with a 200 and the body, then closes it: no
// Content-Length, so a body cut short looks like a whole one to the client.
class ClosingServer {
public:
    explicit ClosingServer(QByteArray body) : body_(std::move(body)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n")) return;
                    socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url() const { return QString("http://127.0.0.1:%1/noaa.txt").arg(server_.serverPort()); }

private:
    QTcpServer server_;
    QByteArray body_;
};

class ElementDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorae::testsupport::ensureApplication();
        ASSERT_TRUE(served_.isValid() && work_.isValid());
        elementFile_ = work_.filePath("SatTle.txt");
    }
    void serve(const QString& name, const QByteArray& body) {
        QFile f(served_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body);
    }
    void writeOldFile() {
        QFile f(elementFile_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("OLD CONTENT\r\n");
    }
    QByteArray elementFileContent() {
        QFile f(elementFile_);
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll();
    }
    // Runs one download to its end; returns the status texts in order.
    QStringList download(const QString& address, bool* ok, int timeoutMs = 30000,
                         const sorae::ReceptionList& selected = {}) {
        ElementDownloader downloader;
        downloader.setTimeoutMs(timeoutMs);
        downloader.setReceptionList(selected);
        QStringList texts;
        QObject::connect(&downloader, &ElementDownloader::statusText,
                         [&texts](const QString& t) { texts << t; });
        QSignalSpy finished(&downloader, &ElementDownloader::finished);
        EXPECT_TRUE(downloader.start(address, elementFile_));
        EXPECT_TRUE(downloader.busy() || address.isEmpty());
        EXPECT_FALSE(downloader.start(address, elementFile_) && downloader.busy());
        EXPECT_TRUE(finished.wait(timeoutMs + 10000));
        *ok = finished.count() == 1 && finished.at(0).at(0).toBool();
        return texts;
    }

    QTemporaryDir served_;
    QTemporaryDir work_;
    QString elementFile_;
};

}  // namespace

TEST(ElementText, SplitsOnEveryLineEndAndWritesCrLf) {
    const auto lines = sorae::splitElementLines("a\r\nb\nc\rd");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[3], "d");
    EXPECT_EQ(sorae::joinWithCrLf(lines), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_TRUE(sorae::splitElementLines("").empty());
    EXPECT_EQ(sorae::splitElementLines(std::string("x\ny\0z", 5)).size(), 2u);
    EXPECT_EQ(sorae::splitElementLines("\n\n").size(), 2u);
}

TEST(ElementText, RecognisesCompleteSets) {
    EXPECT_TRUE(sorae::containsCompleteElementSet(sorae::splitElementLines(kTwoSetsLf)));
    EXPECT_FALSE(sorae::containsCompleteElementSet(
        sorae::splitElementLines("<html><body>404 Not Found</body></html>\n")));
    // A set cut off after its first element line is not complete.
    std::string cut(kTwoSetsLf);
    cut = cut.substr(0, cut.find("2 25338"));
    EXPECT_FALSE(sorae::containsCompleteElementSet(sorae::splitElementLines(cut)));
}

TEST_F(ElementDownloadTest, GoodBodyReplacesFileWithCrLfLines) {
    serve("noaa.txt", kTwoSetsLf);
    writeOldFile();
    HttpServer server(served_.path());
    ASSERT_NE(server.port(), 0);
    bool ok = false;
    const QStringList texts = download(server.url("noaa.txt"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(texts.first(), ElementDownloader::kDownloading);
    EXPECT_EQ(texts.last(), ElementDownloader::kSucceeded);
    const QByteArray content = elementFileContent();
    EXPECT_EQ(content.count("\r\n"), 6);
    EXPECT_EQ(content.count('\n'), 6);
    EXPECT_TRUE(content.startsWith("NOAA 15                 \r\n1 25338U"));
}

TEST_F(ElementDownloadTest, BodiesAreAcceptedOnlyWhenReadCompletely) {
    const QByteArray good(kTwoSetsLf);
    const QByteArray noaa15 = good.left(good.indexOf("NOAA 18"));
    const sorae::ReceptionList only19 = sorae::MakeReceptionList({false, false, false, false, false, false, false, true});
    const sorae::ReceptionList with18 = sorae::MakeReceptionList({false, false, false, false, false, false, true, true});
    const struct {
        const char* what;
        QByteArray body;
        sorae::ReceptionList selected;
        bool accepted;
    } cases[] = {
        {"blank lines around, CR line ends", "\r" + QByteArray(good).replace('\n', '\r') + "\r\r", {}, true},
        {"byte-order mark, blank line between sets", "\xEF\xBB\xBF" + noaa15 + "\n" + good.mid(noaa15.size()), with18, true},
        {"cut inside a line", good.left(good.size() - 20), {}, false},
        {"cut after a whole line", good.left(good.lastIndexOf("2 28654")), {}, false},
        {"NUL byte inside", QByteArray(good).replace(good.indexOf("98.75"), 1, QByteArray(1, '\0')), {}, false},
        {"no selected satellite", good, only19, false},
        {"empty", "", {}, false},
        {"not an element file", "\x01\x02 this is not an element file\n1 2 3\n", {}, false},
        {"longer than any element file", good.repeated(int(ElementDownloader::kMaxAnswerBytes / good.size()) + 2),
         {}, false},
    };
    for (const auto& c : cases) {
        writeOldFile();
        ClosingServer server(c.body);
        bool ok = !c.accepted;
        const QStringList texts = download(server.url(), &ok, 30000, c.selected);
        EXPECT_EQ(ok, c.accepted) << c.what;
        if (c.accepted) {
            EXPECT_EQ(texts.last(), ElementDownloader::kSucceeded) << c.what;
            const QByteArray content = elementFileContent();
            EXPECT_EQ(content.count("\r\n"), 6) << c.what;
            EXPECT_EQ(content.count('\n'), 6) << c.what;
            EXPECT_TRUE(content.startsWith("NOAA 15                 \r\n1 25338U")) << c.what;
        } else {
            EXPECT_EQ(texts.last(), ElementDownloader::kRejectedKeptOld) << c.what;
            EXPECT_EQ(elementFileContent(), QByteArray("OLD CONTENT\r\n")) << c.what;
        }
    }
}

// A full disk while the new file is written leaves the old one whole.
TEST_F(ElementDownloadTest, AFullDiskKeepsTheOldFile) {
    sorae::testsupport::SmallTmpfs disk;
    if (!disk.available()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    elementFile_ = QString::fromStdString(disk.file("SatTle.txt"));
    writeOldFile();
    disk.fill();
    ClosingServer server(kTwoSetsLf);
    bool ok = true;
    const QStringList texts = download(server.url(), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(texts.last(), ElementDownloader::kFailedKeptOld);
    EXPECT_EQ(elementFileContent(), QByteArray("OLD CONTENT\r\n"));
    EXPECT_EQ(QDir(QString::fromStdString(disk.path())).entryList(QDir::Files).size(), 2) << "no temporary left";
}

TEST_F(ElementDownloadTest, NotFoundKeepsTheOldFile) {
    writeOldFile();
    HttpServer server(served_.path());
    ASSERT_NE(server.port(), 0);
    bool ok = true;
    const QStringList texts = download(server.url("missing.txt"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(texts.last(), ElementDownloader::kFailedKeptOld);
    EXPECT_EQ(elementFileContent(), QByteArray("OLD CONTENT\r\n"));
}

TEST_F(ElementDownloadTest, RefusedConnectionAndEmptyAddressFail) {
    // Take a free port and close it again, so nothing listens there.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    bool ok = true;
    QStringList texts = download(QString("http://127.0.0.1:%1/noaa.txt").arg(port), &ok);
    EXPECT_FALSE(ok);
    // No element file existed before: the missing-file text follows.
    EXPECT_EQ(texts.last(), ElementDownloader::kNoFile);
    EXPECT_TRUE(texts.contains(ElementDownloader::kFailed));

    writeOldFile();
    texts = download(QString(), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(texts.last(), ElementDownloader::kFailedKeptOld);
    EXPECT_EQ(elementFileContent(), QByteArray("OLD CONTENT\r\n"));
}

TEST_F(ElementDownloadTest, SilentServerTimesOut) {
    // Accepts the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    writeOldFile();
    bool ok = true;
    const QStringList texts =
        download(QString("http://127.0.0.1:%1/noaa.txt").arg(silent.serverPort()), &ok, 1500);
    EXPECT_FALSE(ok);
    EXPECT_EQ(texts.last(), ElementDownloader::kFailedKeptOld);
    EXPECT_EQ(elementFileContent(), QByteArray("OLD CONTENT\r\n"));
}
