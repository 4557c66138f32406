// Capture and monitor through a real PulseAudio server (started by the test
// script): tones played into the null sinks arrive as exact half-second
// blocks at the right level, the warm-up skips the first block, and the
// monitor is heard on the sink's monitor. Without a server, opening fails
// with the program's message; a server that changes is followed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "common/qt_application.h"
#include "common/private_sound_server.h"
#include "common/sound_server.h"
#include "common/without_sound_server.h"
#include "capture/block_handler.h"
#include "capture/qt/capture_messages.h"
#include "capture/qt/monitor_output.h"
#include "capture/qt/recording_devices.h"
#include "capture/qt/sound_capture.h"

using namespace sorae;

namespace {

using testsupport::SoundServerLock;

int rowOf(const QString& description) {
    const auto list = recordingDeviceList();
    for (int i = 1; i < list.size(); ++i) {
        if (list[i].description() == description) return i;
    }
    return -1;
}

// A stereo WAV of a sine in both channels, made with sox.
QString makeTone(const QTemporaryDir& dir, int rate, double seconds, int hz, double amplitude) {
    const QString path = dir.filePath(QStringLiteral("tone%1.wav").arg(rate));
    const int rc = QProcess::execute(
        QStringLiteral("sox"),
        {QStringLiteral("-n"), QStringLiteral("-r"), QString::number(rate), QStringLiteral("-c"),
         QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), path, QStringLiteral("synth"),
         QString::number(seconds), QStringLiteral("sine"), QString::number(hz), QStringLiteral("vol"),
         QString::number(amplitude)});
    return rc == 0 ? path : QString();
}

struct Received {
    std::vector<int> frames;
    std::vector<int> peaks;  // largest |left| per block
    int peakRight = 0;
};

void record(Received& r, const std::int16_t* s, int frames) {
    r.frames.push_back(frames);
    int peak = 0;
    for (int j = 0; j < frames; ++j) {
        peak = std::max(peak, std::abs(int(s[2 * j])));
        r.peakRight = std::max(r.peakRight, std::abs(int(s[2 * j + 1])));
    }
    r.peaks.push_back(peak);
}

void captureTone(int signalType, const QString& source, const QString& sink, int rate) {
    testsupport::ensureApplication();
    const int row = rowOf(source);
    ASSERT_GT(row, 0) << "the test server's source " << source.toStdString() << " is not listed";
    QTemporaryDir dir;
    const QString tone = makeTone(dir, rate, 3.0, 1000, 0.5);
    ASSERT_FALSE(tone.isEmpty());

    QStringList failures;
    SoundCapture capture;
    capture.setFailureReporter([&](const QString& m) { failures << m; });
    Received got;
    capture.setBlockCallback([&](const std::int16_t* s, int frames) { record(got, s, frames); });
    ASSERT_TRUE(capture.open(row, signalType)) << failures.join(QString()).toStdString();
    EXPECT_EQ(capture.format().sampleRate(), rate);
    EXPECT_EQ(capture.format().channelCount(), 2);
    // 16 s of audio may wait while the program is busy.
    EXPECT_GE(capture.bufferBytes(), qsizetype(rate) * 4 * 16);

    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("--device=") + sink, tone});
    ASSERT_TRUE(player.waitForStarted());
    // 3 s of tone and some silence around it: at least six full blocks.
    (void)QTest::qWaitFor([&] { return got.frames.size() >= 8; }, 15000);
    player.waitForFinished(10000);
    capture.close();
    capture.close();  // a second close does nothing
    EXPECT_FALSE(capture.isOpen());

    ASSERT_GE(got.frames.size(), 6u);
    for (int f : got.frames) EXPECT_EQ(f, rate / 2);
    // A sine of half full scale peaks at 16383 (the server's volume is unity).
    const int best = *std::max_element(got.peaks.begin(), got.peaks.end());
    EXPECT_NEAR(best, 16384, 500);
    EXPECT_NEAR(got.peakRight, 16384, 500);
    EXPECT_TRUE(failures.isEmpty());
}

}  // namespace

TEST(AudioDevice, DeviceListStartsWithTheDefaultSource) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    SoundServerLock lock;
    testsupport::ensureApplication();
    const auto list = recordingDeviceList();
    ASSERT_GE(list.size(), 3);
    EXPECT_EQ(list[0].id(), QMediaDevices::defaultAudioInput().id());
    EXPECT_GT(rowOf(QStringLiteral("TestMic")), 0);
    EXPECT_GT(rowOf(QStringLiteral("IQIn")), 0);
    for (int row = 0; row < list.size(); ++row) {
        EXPECT_EQ(recordingDeviceForRow(row).id(), list[row].id()) << row;
    }
    EXPECT_TRUE(recordingDeviceForRow(int(list.size())).isNull());
    EXPECT_TRUE(recordingDeviceForRow(-1).isNull());
}

TEST(AudioDevice, AudioToneArrivesInBlocksOf24000FramesAt48kHz) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    SoundServerLock lock;
    captureTone(0, QStringLiteral("TestMic"), QStringLiteral("test_sink"), 48000);
}

TEST(AudioDevice, QuadratureToneArrivesInBlocksOf48000FramesAt96kHz) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    SoundServerLock lock;
    captureTone(1, QStringLiteral("IQIn"), QStringLiteral("iq_sink"), 96000);
}

// The block handler behind the real device: the first block is only ticked.
TEST(AudioDevice, FirstCapturedBlockIsSkippedByTheWarmUp) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    SoundServerLock lock;
    testsupport::ensureApplication();
    struct Hooks : BlockHooks {
        int ticks = 0;
        int processed = 0;
        void schedulerTick() override { ++ticks; }
        void setStatusPanel(int panel, std::string_view) override {
            if (panel == 2) ++processed;
        }
    } hooks;
    BlockHandler handler(hooks);
    SoundCapture capture;
    capture.setFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    capture.setBlockCallback([&](const std::int16_t* s, int frames) { handler.handleBlock(s, frames); });
    ASSERT_TRUE(capture.open(rowOf(QStringLiteral("TestMic")), 0));
    (void)QTest::qWaitFor([&] { return hooks.ticks >= 3; }, 10000);
    capture.close();
    ASSERT_GE(hooks.ticks, 3);
    EXPECT_EQ(hooks.processed, hooks.ticks - 1);
}

TEST(AudioDevice, MonitorIsHeardOnTheSinkMonitor) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    SoundServerLock lock;
    testsupport::ensureApplication();
    MonitorOutput monitor;  // the default sink is test_sink
    QStringList failures;
    monitor.setFailureReporter([&](const QString& m) { failures << m; });
    ASSERT_TRUE(monitor.open()) << failures.join(QString()).toStdString();

    SoundCapture capture;
    Received got;
    capture.setBlockCallback([&](const std::int16_t* s, int frames) { record(got, s, frames); });
    ASSERT_TRUE(capture.open(rowOf(QStringLiteral("TestMic")), 0));

    std::vector<std::int16_t> tone(MonitorOutput::kSamplesPerBuffer);
    for (std::size_t k = 0; k < tone.size(); ++k) {
        tone[k] = std::int16_t(std::lround(8000.0 * std::sin(2.0 * M_PI * 1000.0 * double(k) / 48000.0)));
    }
    monitor.playSilence();
    for (int i = 0; i < 6; ++i) monitor.play(tone.data(), int(tone.size()));
    EXPECT_EQ(monitor.buffersWritten(), 7);
    (void)QTest::qWaitFor([&] { return got.frames.size() >= 6; }, 15000);
    capture.close();
    monitor.close();
    monitor.close();
    ASSERT_FALSE(got.peaks.empty());
    const int best = *std::max_element(got.peaks.begin(), got.peaks.end());
    // Mono is played on both channels of the stereo sink.
    EXPECT_NEAR(best, 8000, 300);
    EXPECT_NEAR(got.peakRight, 8000, 300);
}

// Runs in a child process whose environment points at no sound server,
// since the sound backend connects once per process.
TEST(AudioDevice, WithoutAServerOpeningFailsWithTheMessage) {
    if (!testsupport::inChildWithoutSoundServer()) {
        testsupport::rerunInChildWithoutSoundServer();
        return;
    }
    testsupport::ensureApplication();
    QStringList failures;
    SoundCapture capture;
    capture.setFailureReporter([&](const QString& m) { failures << m; });
    EXPECT_FALSE(capture.open(0, 0));
    EXPECT_FALSE(capture.open(1, 1));
    EXPECT_FALSE(capture.isOpen());
    EXPECT_TRUE(capture.close());
    EXPECT_TRUE(capture.close());
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(failures[0],
              QStringLiteral("録音デバイスをオープンできないためプログラムの実行ができません\n"
                             "デバイスが使用中か録音フォーマットに対応していない可能性があります"));

    MonitorOutput monitor;
    monitor.setFailureReporter([&](const QString& m) { failures << m; });
    EXPECT_FALSE(monitor.open());
    ASSERT_EQ(failures.size(), 3);
    EXPECT_EQ(failures[2], QStringLiteral("再生デバイスが使用できません"));
    monitor.playSilence();  // does nothing without a device
    EXPECT_EQ(monitor.buffersWritten(), 0);
    monitor.close();
    monitor.close();
}

// The cases that change the sound server run on a server of their own.
TEST(AudioDevice, ServerChangesAreFollowed) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    // A process that saw its server die stays without one: that case runs alone.
    testsupport::runWithPrivateSoundServer("PrivateServer.*:-PrivateServer.ALostServer*");
    testsupport::runWithPrivateSoundServer("PrivateServer.ALostServer*");
}

// Row 0 records from the source the server calls its default, whichever
// place Qt lists it in.
TEST(PrivateServer, RowZeroOpensTheServersDefaultSource) {
    if (!testsupport::inPrivateSoundServerChild()) GTEST_SKIP() << "runs under AudioDevice.ServerChangesAreFollowed";
    testsupport::ensureApplication();
    for (const auto& [source, type] : {std::pair{"iq_in", 1}, std::pair{"test_mic", 0}, std::pair{"iq_in", 0}}) {
        ASSERT_TRUE(testsupport::pactl({QStringLiteral("set-default-source"), QLatin1String(source)}));
        EXPECT_EQ(recordingDeviceList().first().id(), QByteArray(source));
        SoundCapture capture;
        capture.setFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
        ASSERT_TRUE(capture.open(0, type));
        EXPECT_EQ(capture.device().id(), QByteArray(source)) << type;
        EXPECT_TRUE(capture.requestedId().isEmpty());
    }
}

// The server dies while capturing and comes back: the capture notices,
// says so once, waits quietly while the server is away, and records from the
// same device again once it is back.
TEST(PrivateServer, ALostServerIsNoticedAndTheDeviceOpenedAgain) {
    if (!testsupport::inPrivateSoundServerChild()) GTEST_SKIP() << "runs under AudioDevice.ServerChangesAreFollowed";
    testsupport::ensureApplication();
    QStringList failures;
    SoundCapture capture;
    capture.setFailureReporter([&](const QString& m) { failures << m; });
    int blocks = 0;
    capture.setBlockCallback([&](const std::int16_t*, int) { ++blocks; });
    int lost = 0;
    int restored = 0;
    QObject::connect(&capture, &SoundCapture::deviceLost, [&] { ++lost; });
    QObject::connect(&capture, &SoundCapture::deviceRestored, [&] { ++restored; });
    ASSERT_TRUE(capture.open(QByteArrayLiteral("iq_in"), 1)) << failures.join(QString()).toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return blocks >= 1; }, 10000));

    ASSERT_TRUE(testsupport::stopPrivateSoundServer());
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost == 1; }, 20000));
    EXPECT_FALSE(capture.isOpen());
    EXPECT_TRUE(capture.isReconnecting());
    EXPECT_EQ(capture.requestedId(), QByteArrayLiteral("iq_in")) << "the same device is asked for again";
    (void)QTest::qWaitFor([] { return false; }, 3500);  // attempts after 1 and 2 s
    EXPECT_TRUE(capture.isReconnecting());
    EXPECT_TRUE(failures.isEmpty()) << "attempts are quiet: " << failures.join(QString()).toStdString();

    ASSERT_TRUE(testsupport::startPrivateSoundServer());
    const int before = blocks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return restored == 1 && blocks >= before + 2; }, 20000))
        << "restored " << restored << ", blocks " << blocks - before;
    EXPECT_TRUE(capture.isOpen());
    EXPECT_FALSE(capture.isReconnecting());
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(failures.isEmpty());

    // Opened anew by name (the input dialog's choice) after the restart,
    // although Qt's device list no longer knows the server; a name the
    // server does not know is refused with the message.
    ASSERT_TRUE(capture.open(QByteArrayLiteral("iq_in"), 1)) << failures.join(QString()).toStdString();
    const int reopened = blocks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return blocks >= reopened + 2; }, 20000));
    EXPECT_FALSE(capture.open(QByteArrayLiteral("no_such_source"), 1));
    EXPECT_EQ(failures.size(), 1);
    ASSERT_TRUE(capture.open(QByteArrayLiteral("iq_in"), 1));

    // Closing while waiting ends the waiting.
    ASSERT_TRUE(testsupport::stopPrivateSoundServer());
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost == 2; }, 20000));
    capture.close();
    EXPECT_FALSE(capture.isReconnecting());

    // A server that is not running when the capture opens is told of once,
    // then recorded from as soon as it comes up.
    EXPECT_FALSE(capture.open(QByteArrayLiteral("iq_in"), 1));
    EXPECT_EQ(failures.size(), 2);
    EXPECT_TRUE(capture.isReconnecting());
    ASSERT_TRUE(testsupport::startPrivateSoundServer());
    const int late = blocks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return restored == 2 && blocks >= late + 2; }, 30000))
        << "restored " << restored << ", blocks " << blocks - late;
    EXPECT_TRUE(capture.isOpen());
    EXPECT_EQ(failures.size(), 2);
}

// A busy program loses no audio: after the GUI thread was held up for
// seconds, the blocks that piled up meanwhile still all arrive.
TEST(AudioDevice, ABusyMomentLosesNoAudio) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    testsupport::ensureApplication();
    SoundCapture capture;
    long long frames = 0;
    capture.setBlockCallback([&](const std::int16_t*, int n) { frames += n; });
    ASSERT_TRUE(capture.open(rowOf(QStringLiteral("TestMic")), 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames > 0; }, 10000));
    QElapsedTimer clock;
    clock.start();
    const long long before = frames;
    ::usleep(5 * 1000 * 1000);  // the GUI thread is stuck for 5 s
    (void)QTest::qWaitFor([&] { return false; }, 1500);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double received = double(frames - before) / 48000.0;
    capture.close();
    // Everything recorded while the thread was stuck arrives, give or take the
    // block being filled; a loaded machine may deliver later, never more.
    EXPECT_GE(received, 5.0 - 0.75) << "received " << received << " s in " << seconds << " s";
    EXPECT_LE(received, seconds + 0.75) << "received " << received << " s in " << seconds << " s";
    EXPECT_EQ(capture.blocksDropped(), 0);
}
