// A pass received live from the sound server that scripts/test.sh starts: a
// generated APT recording is played into a null sink while the window
// captures from its remap source with manual reception on. Runs only when
// SORAE_PULSE_AVAILABLE is set (and XDG_RUNTIME_DIR points at the server).
#include <gtest/gtest.h>

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "app/main_window.h"
#include "app/reception_controller.h"
#include "app/status_panels.h"
#include "capture/qt/recording_devices.h"
#include "common/sound_server.h"
#include "imaging/jpeg_file.h"
#include "orbit/qt/manual_reception_dialog.h"
#include "test_reception_support.h"
#include "testsignal/recording_writer.h"
#include "common/qt_application.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::receptiontest;
using sorae::testsupport::SoundServerLock;
using sorae::testsupport::soundServerAvailable;

namespace {

constexpr std::int64_t kNow = 1736904180;  // 10:23 station time
const std::string kStem = "202501151023MN";


int rowOf(const QString& description) {
    const auto list = recordingDeviceList();
    for (int i = 1; i < list.size(); ++i)
        if (list[i].description() == description) return i;
    return -1;
}

std::string decodeAgain(const std::string& flac, const fs::path& folder, const fs::path& out, bool iq) {
    const std::string program = std::string(SORAE_BINARY_DIR) + "/src/app/sorae-apt";
    const std::string command = program + " decode '" + flac + "' --data-dir '" + folder.string() +
                                "' --out '" + out.string() + "' --no-auto-level --time 202501151023" +
                                (iq ? " --iq" : "") + " 2>&1";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "cannot run " + program;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "decode failed: " + output;
    return std::string();
}

// How far two pictures of the same pass lie apart: the mean difference
// of their rows, row by row. The live chain and `decode` detect the
// subcarrier differently (an envelope, a coherent detector). On a line cut
// off by the start or the end of the signal they may disagree whether its
// sync was there, so the pictures may differ by that one row at the top or
// the bottom and are compared where they overlap. Where a busy machine lost
// a block of sound, the two find the lines again after a different number
// of lines, so the few rows that differ most (as many as the line timing
// below may find off) are left out. A line lost or added inside the pass,
// a wrong level or a shifted line moves every row and still shows.
constexpr int kRowsAfterALoss = 4;

double meanAbsoluteDifference(const PictureBuffer& a, const PictureBuffer& b) {
    if (a.width != b.width || a.empty() || b.empty() || std::abs(a.height - b.height) > 1) return 1e9;
    const std::size_t rowBytes = a.bgr.size() / std::size_t(a.height);
    const int rows = std::min(a.height, b.height);
    if (rows <= 2 * kRowsAfterALoss) return 1e9;
    double best = 1e9;
    for (int shift = std::min(0, b.height - a.height); shift <= std::max(0, b.height - a.height); ++shift) {
        std::vector<double> rowDifference(std::size_t(rows), 0.0);
        for (int y = 0; y < rows; ++y) {
            const std::uint8_t* rowA = a.bgr.data() + std::size_t(y - std::min(0, shift)) * rowBytes;
            const std::uint8_t* rowB = b.bgr.data() + std::size_t(y + std::max(0, shift)) * rowBytes;
            double sum = 0;
            for (std::size_t i = 0; i < rowBytes; ++i) sum += std::abs(int(rowA[i]) - int(rowB[i]));
            rowDifference[std::size_t(y)] = sum / double(rowBytes);
        }
        std::sort(rowDifference.begin(), rowDifference.end());
        double sum = 0;
        for (int y = 0; y < rows - kRowsAfterALoss; ++y) sum += rowDifference[std::size_t(y)];
        best = std::min(best, sum / double(rows - kRowsAfterALoss));
    }
    return best;
}

void receiveLive(SignalKind kind, const QString& source, const QString& sink) {
    SoundServerLock lock;
    sorae::testsupport::ensureApplication();
    const int row = rowOf(source);
    ASSERT_GT(row, 0) << "the test server's source " << source.toStdString() << " is not listed";
    const bool iq = kind == SignalKind::IQ;

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const fs::path folder = dir.path().toStdString();
    std::ofstream(folder / "sorae-apt.ini") << "[Wave]\r\nInput=" << row << "\r\nDemodType=" << (iq ? 1 : 0)
                                            << "\r\n[Pic]\r\nMinScanLine=20\r\nAddText=0\r\n";
    // 35 s of signal.
    AptSignalGenerator generator(passSource(), passOptions(kind, 70));
    const std::string recording = (folder / "pass.wav").string();
    const RecordingResult written = writeRecording(recording, generator, SampleFormat::Int16);
    ASSERT_TRUE(written.ok) << written.error;

    QStringList failures;
    MainWindowOptions options;
    options.programFolder = folder.string();
    options.reportFailure = [&](const QString& m) { failures << m; };
    MainWindow window(options);
    auto* reception = new ReceptionController(window);
    reception->setFailureReporter([&](const QString& m) { failures << m; });
    reception->setClock([] { return kNow; });
    auto* dialog = reception->createManualReceptionDialog();
    window.show();
    ASSERT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    EXPECT_EQ(window.blockHandler().signalType(), iq ? 1 : 0);

    window.speedButton(2)->click();
    ASSERT_TRUE(dialog->isVisible());
    const double receptionStarted = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    dialog->findChild<QPushButton*>("Button1")->click();
    ASSERT_TRUE(window.reception().receptionActive);

    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("--device=") + sink,
                                            QString::fromStdString(recording)});
    ASSERT_TRUE(player.waitForStarted());
    bool sawScan = false, sawSync = false;
    auto watch = [&] {
        sawScan = sawScan || window.statusPanels().panelText(2) == "SCAN";
        sawSync = sawSync || window.statusPanels().panelText(3) == "SYNC";
    };
    QElapsedTimer clock;
    clock.start();
    while (player.state() != QProcess::NotRunning && clock.elapsed() < 90000) {
        QTest::qWait(100);
        watch();
    }
    EXPECT_EQ(player.exitCode(), 0) << player.readAllStandardError().toStdString();
    // The last blocks of the pass are still on their way.
    const int lines = reception->lineStore().lineCount;
    (void)QTest::qWaitFor([&] { watch(); return reception->lineStore().lineCount >= lines + 3; }, 5000);
    EXPECT_TRUE(sawScan);
    EXPECT_TRUE(sawSync);

    // The pass starts on the capture clock and its lines follow one line
    // period apart, counted in samples rather than in arrival times.
    const std::optional<RecordingStart> start = reception->passStart();
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(start->rule, StartRule::Clock);
    // the first block comes after the button, by the capture latency (longer on a busy machine)
    EXPECT_NEAR(start->unixSeconds, receptionStarted, 5.0);
    const LineStore& store = reception->lineStore();
    ASSERT_NE(store.firstSyncLine, kNoSyncLine);
    // A busy machine may lose a block of sound now and then; the lines around
    // such a loss may be timed off, but no more than a few of them.
    int offBeat = 0;
    for (int line = store.firstSyncLine + 1; line < store.lineCount; ++line)
        if (std::abs(store.lineSeconds(line) - store.lineSeconds(line - 1) - 0.5) > 1.5 / 24000.0) ++offBeat;
    EXPECT_LE(offBeat, kRowsAfterALoss) << "of " << store.lineCount - store.firstSyncLine << " lines";

    window.speedButton(2)->click();
    EXPECT_FALSE(window.reception().receptionActive);
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();

    const fs::path pics = folder / "pics";
    const fs::path again = folder / "again";
    ASSERT_TRUE(fs::exists(pics / (kStem + ".flac")));
    // The kept sound notes when its first sample was taken.
    const auto noted = FindRecordingStart((pics / (kStem + ".flac")).string(), 0.0);
    ASSERT_TRUE(noted.has_value());
    EXPECT_NEAR(noted->unixSeconds, start->unixSeconds, 0.001);
    EXPECT_FALSE(noted->approximate);
    EXPECT_EQ(decodeAgain((pics / (kStem + ".flac")).string(), folder, again, iq), "");
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel);
        const std::string name = kStem + (channel ? "B.jpg" : "A.jpg");
        const JpegReadResult live = LoadJpegPicture((pics / name).string());
        ASSERT_TRUE(live.ok) << live.error;
        EXPECT_GT(live.picture.height, 50);
        // The recording starts and ends part-way into a line of the server's
        // silence, and the sync holds over such a line, so the first and the
        // last lines of the picture are left out.
        EXPECT_GT(bestCorrelation(live.picture, channel, 2, 4), 0.9);
        const JpegReadResult decoded = LoadJpegPicture((again / name).string());
        ASSERT_TRUE(decoded.ok) << decoded.error;
        const double difference = meanAbsoluteDifference(decoded.picture, live.picture);
        std::printf("channel %c: live (%d rows) and decoded again (%d rows) differ by %.2f grey levels (mean)\n",
                    'A' + channel, live.picture.height, decoded.picture.height, difference);
        EXPECT_LT(difference, 1.0);
    }
}

}  // namespace

TEST(LiveReception, AudioPassFromTheSoundServerBecomesThePictures) {
    if (!soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    receiveLive(SignalKind::Audio, QStringLiteral("TestMic"), QStringLiteral("test_sink"));
}

TEST(LiveReception, QuadraturePassFromTheSoundServerBecomesThePictures) {
    if (!soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    receiveLive(SignalKind::IQ, QStringLiteral("IQIn"), QStringLiteral("iq_sink"));
}
