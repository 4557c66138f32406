// Replaying a generated recording through the real main window at the
// fastest speed: the live path's status texts and progress, the pictures
// saved under the recording's start time (given, in its name, or from the
// file's date) and compared with the pictures the recording was made from,
// and a replay stopped half-way.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/main_window.h"
#include "app/reception_controller.h"
#include "app/replay_controller.h"
#include "app/status_panels.h"
#include "imaging/jpeg_file.h"
#include "recording/recording_decoder.h"
#include "test_real_pass_recording.h"
#include "test_reception_support.h"
#include "testsignal/recording_writer.h"
#include "common/qt_application.h"
#include "common/recording_after_noise.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::receptiontest;

namespace {

std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) names.insert(entry.path().filename().string());
    return names;
}

// What the status bar showed while the replay ran, sampled between ticks.
struct SeenPanels {
    bool scan = false;
    bool sync = false;
    bool progress = false;
    QString sensor;
};

class ReplayWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorae::testsupport::ensureApplication();
        ASSERT_TRUE(dir_.isValid());
        std::ofstream(folder() / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
        MainWindowOptions options;
        options.programFolder = folder().string();
        options.openSoundDevices = false;
        options.reportFailure = [this](const QString& m) { failures_ << m; };
        window_ = std::make_unique<MainWindow>(options);
        reception_ = new ReceptionController(*window_);
        reception_->setFailureReporter([this](const QString& m) { failures_ << m; });
        replay_ = new ReplayController(*window_, *reception_, nullptr, nullptr);
        replay_->setFailureReporter([this](const QString& m) { failures_ << m; });
        window_->show();
    }
    void TearDown() override { window_.reset(); }

    fs::path folder() const { return fs::path(dir_.path().toStdString()); }
    fs::path pics() const { return folder() / "pics"; }
    QString panel(int i) const { return window_->statusPanels().panelText(i); }

    std::string makeRecording(SignalKind kind, long lines, const std::string& name = "pass.wav",
                              double clockErrorPpm = 0.0) {
        GeneratorOptions options = passOptions(kind, lines);
        options.clockErrorPpm = clockErrorPpm;
        // The I/Q recording holds Q left and I right (its carrier mirrored to
        // +24 kHz): the carrier given at -24 kHz decodes it only when the
        // dialog's swap reaches the reader.
        if (kind == SignalKind::IQ) options.carrierHz = 24000.0;
        AptSignalGenerator generator(passSource(), options);
        const std::string path = (folder() / name).string();
        const RecordingResult written = writeRecording(path, generator, SampleFormat::Int16);
        EXPECT_TRUE(written.ok) << written.error;
        return path;
    }

    // Fills the dialog the button opens and starts the replay with it.
    void startFromDialog(const std::string& path, bool quadrature, const QString& satellite, const QString& time) {
        window_->speedButton(ReplayController::kButton)->click();
        ReplayDialog& dialog = replay_->dialog();
        ASSERT_TRUE(dialog.isVisible());
        EXPECT_FALSE(window_->speedButton(ReplayController::kButton)->isChecked());
        dialog.findChild<QLineEdit*>("ReplayFileEdit")->setText(QString::fromStdString(path));
        dialog.findChild<QCheckBox*>("ReplayQuadratureBox")->setChecked(quadrature);
        if (quadrature) {
            dialog.findChild<QLineEdit*>("ReplayCarrierEdit")->setText("-24000");
            dialog.findChild<QCheckBox*>("ReplaySwapBox")->setChecked(true);
        }
        auto* satellites = dialog.findChild<QComboBox*>("ReplaySatelliteBox");
        satellites->setCurrentIndex(std::max(0, satellites->findData(satellite)));
        dialog.findChild<QLineEdit*>("ReplayTimeEdit")->setText(time);
        auto* speeds = dialog.findChild<QComboBox*>("ReplayDialogSpeedBox");
        speeds->setCurrentIndex(speeds->findData(int(ReplaySpeed::Fastest)));
        dialog.findChild<QPushButton*>("ReplayStartButton")->click();
        ASSERT_TRUE(replay_->running()) << failures_.join("\n").toStdString();
        EXPECT_TRUE(window_->speedButton(ReplayController::kButton)->isChecked());
    }

    // Runs the event loop until the replay ends (or `until` says to stop it),
    // sampling the status bar between ticks.
    SeenPanels runReplay(const std::function<bool()>& until = {}) {
        SeenPanels seen;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            seen.scan = seen.scan || panel(2) == "SCAN";
            seen.sync = seen.sync || panel(3) == "SYNC";
            seen.progress = seen.progress || panel(0).startsWith(QStringLiteral("録音再生中 "));
            if (panel(5) != "Senser Type") seen.sensor = panel(5);
            if (until && replay_->running() && until()) window_->speedButton(ReplayController::kButton)->click();
        });
        sampler.start(0);
        QSignalSpy done(replay_, &ReplayController::finished);
        EXPECT_TRUE(done.wait(120000));
        return seen;
    }

    QTemporaryDir dir_;
    QStringList failures_;
    std::unique_ptr<MainWindow> window_;
    ReceptionController* reception_ = nullptr;
    ReplayController* replay_ = nullptr;
};

struct ReplayKind {
    const char* name;
    SignalKind kind;
    double clockErrorPpm;  // of the recorder's sound card
};

class ReplayKindTest : public ReplayWindowTest, public ::testing::WithParamInterface<ReplayKind> {};

TEST_P(ReplayKindTest, ReplayGoesThroughTheLiveReceptionAndSavesThePassPictures) {
    const bool quadrature = GetParam().kind == SignalKind::IQ;
    const std::string path = makeRecording(GetParam().kind, 450, "pass.wav", GetParam().clockErrorPpm);
    startFromDialog(path, quadrature, "NOAA-19", "201901240930");
    EXPECT_EQ(window_->blockHandler().signalType(), quadrature ? 1 : 0);
    EXPECT_TRUE(window_->liveBlocksHeld());

    const SeenPanels seen = runReplay();
    EXPECT_TRUE(seen.scan);
    EXPECT_TRUE(seen.sync);
    EXPECT_TRUE(seen.progress);
    EXPECT_TRUE(seen.sensor.startsWith("CH 2")) << seen.sensor.toStdString();
    EXPECT_TRUE(failures_.isEmpty()) << failures_.join("\n").toStdString();

    // Back to the sound card's format, live blocks taken again.
    EXPECT_FALSE(window_->reception().receptionActive);
    EXPECT_EQ(window_->blockHandler().signalType(), 0);
    EXPECT_FALSE(window_->liveBlocksHeld());
    EXPECT_FALSE(window_->speedButton(ReplayController::kButton)->isChecked());
    EXPECT_EQ(panel(2), "");
    EXPECT_EQ(panel(3), "");

    // Every line is timed as `decode` times it, from the start given
    // (09:30 station time is 00:30 UT); a sound card far off its rate is
    // measured by each with its own detector, to a few ppm.
    const std::optional<RecordingStart> start = reception_->passStart();
    ASSERT_TRUE(start.has_value());
    EXPECT_DOUBLE_EQ(start->unixSeconds, 1548289800.0);
    {
        auto store = std::make_unique<LineStore>();
        RecordingDecoder decoder(*store);
        RecordingDecodeOptions options;
        options.path = path;
        options.quadrature = quadrature;
        options.iqCarrierHz = -24000.0;
        options.iqSwap = quadrature;
        options.coherent = false;  // the replay's detector, so that the bits compare
        ASSERT_TRUE(decoder.run(options).ok);
        const LineStore& replayed = reception_->lineStore();
        ASSERT_NE(replayed.firstSyncLine, kNoSyncLine);
        for (int line = replayed.firstSyncLine; line < replayed.lineCount; ++line) {
            if (GetParam().clockErrorPpm == 0.0)
                ASSERT_DOUBLE_EQ(replayed.lineSeconds(line), store->lineSeconds(line)) << line;
            else
                ASSERT_NEAR(replayed.lineSeconds(line), store->lineSeconds(line), 1e-3) << line;
        }
    }

    // Named from the start time given, as a NOAA-19 pass; no copy of the sound.
    const std::string stem = "20190124093019";
    // Panel 0 names what was saved, and the pictures are in front of the map.
    EXPECT_TRUE(panel(0).contains(QStringLiteral("保存しました"))) << panel(0).toStdString();
    EXPECT_TRUE(panel(0).contains(QString::fromStdString(stem + "A.jpg, " + stem + "B.jpg")))
        << panel(0).toStdString();
    EXPECT_FALSE(window_->speedButton(6)->isChecked());
    EXPECT_EQ(filesIn(pics()), (std::set<std::string>{stem + "A.jpg", stem + "B.jpg"}));
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel);
        const JpegReadResult jpeg = LoadJpegPicture((pics() / (stem + (channel ? "B.jpg" : "A.jpg"))).string());
        ASSERT_TRUE(jpeg.ok) << jpeg.error;
        EXPECT_GT(jpeg.picture.height, 400);
        EXPECT_GT(bestCorrelation(jpeg.picture, channel), 0.9);
    }
}

// A recording begun 19 minutes before its pass came up: the replay passes
// over the noise (it would fill the store's 2400 lines and cut the pass
// short) and receives the whole pass, timed from the recording's start.
TEST_F(ReplayWindowTest, ALongLeadOfNoiseIsPassedOverAndTheWholePassReceived) {
    constexpr double kLeadSeconds = 1140.0;
    GeneratorOptions options = passOptions(SignalKind::Audio, 240);
    options.sampleRate = 11025;
    AptSignalGenerator generator(passSource(), options);
    const std::string path = (folder() / "pass.wav").string();
    ASSERT_TRUE(testsupport::WriteRecordingAfterNoise(path, generator, kLeadSeconds));
    startFromDialog(path, false, "NOAA-19", "201901240930");
    runReplay();
    EXPECT_TRUE(failures_.isEmpty()) << failures_.join("\n").toStdString();
    const LineStore& store = reception_->lineStore();
    ASSERT_NE(store.firstSyncLine, kNoSyncLine);
    EXPECT_LT(store.lineCount, 2400);
    EXPECT_GT(reception_->lastPictures().rows, 220);
    EXPECT_NEAR(store.lineSeconds(store.firstSyncLine), kLeadSeconds, 10.0);
}

TEST_F(ReplayWindowTest, ATooShortReplaySaysWhyNothingWasSaved) {
    const std::string path = makeRecording(SignalKind::Audio, 90);
    window_->speedButton(6)->setChecked(true);
    startFromDialog(path, false, "NOAA-19", "201901240930");
    runReplay();
    const int rows = reception_->lastPictures().rows;
    ASSERT_GT(rows, 0);
    ASSERT_LT(rows, 100);
    EXPECT_EQ(panel(0), QStringLiteral("%1行: 最小行数 100 未満のため保存しません (画像設定の「画像化に必要な最低ライン数」で変更)")
                            .arg(rows));
    EXPECT_EQ(window_->statusPanels().panel(0)->toolTip(), panel(0));
    EXPECT_FALSE(fs::exists(pics()) && !filesIn(pics()).empty());
    EXPECT_TRUE(window_->speedButton(6)->isChecked()) << "nothing saved: the map stays";
}

INSTANTIATE_TEST_SUITE_P(Kinds, ReplayKindTest,
                         ::testing::Values(ReplayKind{"Audio", SignalKind::Audio, 0.0},
                                           ReplayKind{"IQ", SignalKind::IQ, 0.0},
                                           // 0.15 % slow: without the measured rate no sync holds
                                           ReplayKind{"AudioFromASlowSoundCard", SignalKind::Audio, -1500.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReplayWindowTest, StoppedHalfWayKeepsTheLinesReceivedAndNamesThemFromTheRecordingsTime) {
    // Modified at 2025-01-15 01:27:10 UT; 250 s long: started at 01:23 UT,
    // 10:23 station time -- unless the name holds the time (UT + 9 h).
    const struct {
        const char* name;
        const char* stem;
    } cases[] = {
        {"pass.wav", "202501151023MN"},
        {"NOAA19-20190124-0930.wav", "201901241830MN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(pics());
        const std::string path = makeRecording(SignalKind::Audio, 500, c.name);
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::fromSecsSinceEpoch(1736904180 + 250, Qt::UTC),
                                     QFileDevice::FileModificationTime));
        file.close();
        startFromDialog(path, false, QString(), QString());

        runReplay([&] { return replay_->blocksFed() >= 200; });
        const long long fed = replay_->blocksFed();
        EXPECT_GE(fed, 200);
        EXPECT_LT(fed, 300);
        EXPECT_EQ(panel(2), "");
        EXPECT_EQ(panel(3), "");
        // One line per block, all of them kept and in the pictures.
        EXPECT_EQ(reception_->lineStore().lineCount, fed);
        const PassPictureResult& pictures = reception_->lastPictures();
        EXPECT_GT(pictures.rows, fed - 40);
        EXPECT_LE(pictures.rows, fed);
        const std::string stem = c.stem;
        EXPECT_EQ(filesIn(pics()), (std::set<std::string>{stem + "A.jpg", stem + "B.jpg"}));
        EXPECT_TRUE(panel(0).endsWith(QString::fromStdString(stem + "B.jpg"))) << panel(0).toStdString();
        const JpegReadResult jpeg = LoadJpegPicture((pics() / (stem + "A.jpg")).string());
        ASSERT_TRUE(jpeg.ok) << jpeg.error;
        EXPECT_GT(bestCorrelation(jpeg.picture, 0, 0), 0.9);
    }
}

// With 地図投影画像を保存 on, a replayed real pass (NOAA 19 over Spain,
// 2019-05-21, its start in the file name) also leaves its map products,
// placed across the 8.3 s its recording lost four minutes in.
TEST_F(ReplayWindowTest, AReplayedPassAlsoWritesItsMapProductsWhenTheSettingAsks) {
    window_->settings().saveGeoTiff = true;
    fs::copy_file(std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-05-21.txt", folder() / "SatTle.txt",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map", folder() / "AllWorld.map",
                  fs::copy_options::overwrite_existing);
    // the north-up picture turned back into the lines as received
    const std::string path = (folder() / "SDRSharp_20190521_170204Z_137500000Hz.wav").string();
    ASSERT_TRUE(testsupport::WriteRealPassRecording(path));
    ASSERT_TRUE(testsupport::CutOutOfRecording(path, 240.0, 8.3));

    // the direction as the satellite flew: northbound, turned north-up
    replay_->dialog().findChild<QComboBox*>("ReplayDirectionBox")->setCurrentIndex(2);
    startFromDialog(path, false, "NOAA-19", "");
    EXPECT_EQ(window_->reception().currentPassDirection, 1);
    runReplay();
    EXPECT_TRUE(failures_.isEmpty()) << failures_.join("\n").toStdString();
    EXPECT_EQ(reception_->lastPictures().direction, 1);
    const std::string outcome = panel(0).toStdString();
    EXPECT_EQ(outcome.find("note: the satellite flew"), std::string::npos) << outcome;
    EXPECT_NE(outcome.find("lost from the recording: 8.300 s before line 4"), std::string::npos) << outcome;
    // the coasts agree with the file name's time across the gap
    EXPECT_NE(outcome.find("time corrected by +0."), std::string::npos) << outcome;
    int tiffs = 0, overlays = 0;
    for (const std::string& name : filesIn(pics())) {
        tiffs += name.size() > 4 && name.compare(name.size() - 4, 4, ".tif") == 0;
        overlays += name.size() > 4 && name.compare(name.size() - 4, 4, ".kml") == 0;
    }
    EXPECT_EQ(tiffs, 2);
    EXPECT_EQ(overlays, 1);
}

}  // namespace
