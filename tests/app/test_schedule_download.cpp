// The element download as the window runs it: against a real HTTP server on
// 127.0.0.1, the file is replaced only by a good answer, the passes follow a
// download that asked for them, a second request joins the running one, and
// the start-up question about a missing element file.
#include "test_schedule_support.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTextStream>
#include <fstream>
#include <sstream>

#include "app/schedule_wiring.h"
#include "app/scheduler_controller.h"
#include "app/status_panels.h"
#include "orbit/qt/element_downloader.h"

using namespace sorae;
using namespace sorae::testing;

namespace {

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// python3 -m http.server serving one folder, on a port it chooses.
class HttpServer {
public:
    explicit HttpServer(const QString& folder) {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral("python3"), {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                                                   QStringLiteral("0"), QStringLiteral("--bind"),
                                                   QStringLiteral("127.0.0.1"), QStringLiteral("--directory"), folder});
        QString seen;
        for (int i = 0; i < 100 && port_ == 0; ++i) {
            process_.waitForReadyRead(100);
            seen += QString::fromUtf8(process_.readAll());
            const int at = seen.indexOf(QStringLiteral(" port "));
            if (at >= 0) port_ = seen.mid(at + 6).section(QLatin1Char(' '), 0, 0).toInt();
        }
    }
    ~HttpServer() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    QString url(const QString& name) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(name); }
    int port() const { return port_; }

private:
    QProcess process_;
    int port_ = 0;
};

class ScheduleDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(served_.isValid());
        // Clock at the elements' time: they are not old.
        setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 1, 25, 0, 0, 0})));
    }
    void TearDown() override { setClockOffsetSeconds(0); }

    void makeWindow(bool withElements) {
        prepareFolder(dir_, withElements);
        window_ = std::make_unique<MainWindow>(windowOptions(dir_));
        reception_ = std::make_unique<FakeReception>(*window_);
        parts_ = installScheduling(*window_, *reception_);
    }
    QString elementFile() const { return dir_.filePath(QStringLiteral("SatTle.txt")); }
    void serve(const QString& name, const std::string& body) {
        std::ofstream(served_.filePath(name).toStdString(), std::ios::binary) << body;
    }

    QTemporaryDir dir_;
    QTemporaryDir served_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FakeReception> reception_;
    ScheduleParts parts_;
};

TEST_F(ScheduleDownloadTest, GoodAnswerReplacesFileWithCrLfLinesAndThePassesFollow) {
    makeWindow(false);
    std::string body = readFile(QString::fromStdString(elementFixture()));
    std::string lf;
    for (char c : body) if (c != '\r') lf += c;
    serve(QStringLiteral("noaa.txt"), lf);
    HttpServer server(served_.path());
    ASSERT_GT(server.port(), 0);
    window_->settings().address = server.url(QStringLiteral("noaa.txt")).toStdString();

    SchedulerController& scheduler = *parts_.scheduler;
    QSignalSpy computed(&scheduler, &SchedulerController::passesComputed);
    QSignalSpy downloaded(&scheduler, &SchedulerController::downloadFinished);
    scheduler.downloadElements(true);
    EXPECT_TRUE(scheduler.downloader().busy());
    // A second request while the first runs joins it: one transfer.
    scheduler.downloadElements(false);
    ASSERT_TRUE(computed.wait(120000));
    EXPECT_EQ(downloaded.count(), 1);
    EXPECT_TRUE(downloaded.first().first().toBool());
    EXPECT_TRUE(computed.first().first().toBool());
    EXPECT_TRUE(scheduler.passTableValid());

    const std::string stored = readFile(elementFile());
    ASSERT_FALSE(stored.empty());
    std::string expected;
    std::istringstream lines(lf);
    for (std::string line; std::getline(lines, line);) expected += line + "\r\n";
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(window_->statusPanels().panelText(0), ElementDownloader::kSucceeded);
}

TEST_F(ScheduleDownloadTest, ErrorPageEmptyBodyAndRefusedConnectionKeepTheOldFile) {
    makeWindow(true);
    const std::string before = readFile(elementFile());
    serve(QStringLiteral("empty.txt"), "");
    HttpServer server(served_.path());
    ASSERT_GT(server.port(), 0);

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/noaa.txt").arg(closed.serverPort());
    closed.close();

    SchedulerController& scheduler = *parts_.scheduler;
    for (const QString& address : {server.url(QStringLiteral("missing.txt")), server.url(QStringLiteral("empty.txt")),
                                   refused, QString()}) {
        SCOPED_TRACE(address.toStdString());
        window_->settings().address = address.toStdString();
        QSignalSpy downloaded(&scheduler, &SchedulerController::downloadFinished);
        scheduler.downloadElements(false);
        ASSERT_TRUE(downloaded.count() == 1 || downloaded.wait(40000));
        EXPECT_FALSE(downloaded.first().first().toBool());
        // The old file stays in use, and panel 0 says so.
        EXPECT_TRUE(window_->statusPanels().panelText(0) == ElementDownloader::kFailedKeptOld ||
                    window_->statusPanels().panelText(0) == ElementDownloader::kRejectedKeptOld);
        EXPECT_EQ(readFile(elementFile()), before);
    }
}

TEST_F(ScheduleDownloadTest, MissingElementFileAnsweredNoClosesTheWindow) {
    makeWindow(false);
    QStringList asked;
    parts_.scheduler->setQuestion([&asked](const QString& text, std::function<void(bool)> answer) {
        asked << text;
        answer(false);
    });
    window_->show();
    QTRY_VERIFY_WITH_TIMEOUT(!window_->isVisible(), 5000);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first(), QString::fromUtf8(ReceptionScheduler::kMissingElementsQuestion));
    EXPECT_FALSE(parts_.scheduler->downloader().busy());
}

TEST_F(ScheduleDownloadTest, MissingElementFileAnsweredYesDownloadsComputesAndAsksAboutOldElements) {
    // A month after the elements: the fetched file is old as well.
    setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 2, 25, 0, 0, 0})));
    makeWindow(false);
    serve(QStringLiteral("noaa.txt"), readFile(QString::fromStdString(elementFixture())));
    HttpServer server(served_.path());
    ASSERT_GT(server.port(), 0);
    window_->settings().address = server.url(QStringLiteral("noaa.txt")).toStdString();
    QStringList asked;
    parts_.scheduler->setQuestion([&asked](const QString& text, std::function<void(bool)> answer) {
        asked << text;
        answer(true);
    });
    QSignalSpy computed(parts_.scheduler, &SchedulerController::passesComputed);
    QSignalSpy downloaded(parts_.scheduler, &SchedulerController::downloadFinished);
    // Missing file: asked, fetched, computed; old elements at start-up:
    // asked again, fetched again, computed, and then only reported.
    QTRY_VERIFY_WITH_TIMEOUT(computed.count() == 2, 240000);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0], QString::fromUtf8(ReceptionScheduler::kMissingElementsQuestion));
    EXPECT_EQ(asked[1], QString::fromUtf8(kAskDownloadText));
    EXPECT_EQ(downloaded.count(), 2);
    EXPECT_TRUE(computed.first().first().toBool());
    EXPECT_TRUE(QFile::exists(elementFile()));
    EXPECT_TRUE(parts_.scheduler->passTableValid());
    QTest::qWait(300);
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(window_->statusPanels().panelText(0), QString::fromUtf8(kElementsNotNewText));
}

TEST_F(ScheduleDownloadTest, OldElementsLaterDownloadOnceAndThenOnlyReport) {
    // A month after the elements: they are old; the server has the same.
    setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 2, 25, 0, 0, 0})));
    makeWindow(true);
    serve(QStringLiteral("noaa.txt"), readFile(QString::fromStdString(elementFixture())));
    HttpServer server(served_.path());
    ASSERT_GT(server.port(), 0);
    window_->settings().address = server.url(QStringLiteral("noaa.txt")).toStdString();
    window_->settings().autoUpdate = true;
    int asked = 0;
    parts_.scheduler->setQuestion([&asked](const QString&, std::function<void(bool)> answer) {
        ++asked;
        answer(false);
    });
    SchedulerController& scheduler = *parts_.scheduler;
    QSignalSpy computed(&scheduler, &SchedulerController::passesComputed);
    // At start-up the user is asked; "No" only reports.
    ASSERT_TRUE(computed.wait(120000));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(window_->statusPanels().panelText(0), QString::fromUtf8(kElementsNotNewText));

    // Later, with automatic update: one download and one recomputation,
    // which reports the still old elements instead of downloading again.
    QSignalSpy downloaded(&scheduler, &SchedulerController::downloadFinished);
    computed.clear();
    scheduler.computePasses();
    QTRY_VERIFY_WITH_TIMEOUT(computed.count() == 2, 240000);
    EXPECT_EQ(downloaded.count(), 1);
    QTest::qWait(300);
    EXPECT_FALSE(scheduler.downloader().busy());
    EXPECT_EQ(downloaded.count(), 1);
    EXPECT_EQ(window_->statusPanels().panelText(0), QString::fromUtf8(kElementsNotNewText));
    EXPECT_EQ(asked, 1);
}

}  // namespace
