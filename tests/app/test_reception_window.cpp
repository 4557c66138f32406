// Reception through the real main window, fed with generated blocks as the
// sound card would deliver them: the manual-reception button and its
// direction dialog, the status panels, the live view, the pictures and the
// pass's sound file at the end, and the ways a pass ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>

#include "app/main_window.h"
#include "app/reception_controller.h"
#include "app/status_panels.h"
#include "capture/qt/sound_capture.h"
#include "imaging/jpeg_file.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/image_settings_dialog.h"
#include "imaging/qt/past_image_browser.h"
#include "orbit/qt/manual_reception_dialog.h"
#include "test_reception_support.h"
#include "testsignal/gaussian_noise.h"
#include "common/program_run.h"
#include "common/qt_application.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::receptiontest;

using sorae::testsupport::ProgramRun;
using sorae::testsupport::runProgram;

namespace {

// 2025-01-15 01:23:00 UT: 10:23 in station time.
constexpr std::int64_t kNow = 1736904180;
const std::string kStamp = "202501151023";

std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) names.insert(entry.path().filename().string());
    return names;
}

class ReceptionWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorae::testsupport::ensureApplication();
        ASSERT_TRUE(dir_.isValid());
        // A shorter minimum than the default keeps the passes short.
        std::ofstream(folder() / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
        MainWindowOptions options;
        options.programFolder = folder().string();
        options.openSoundDevices = false;
        options.reportFailure = [this](const QString& m) { failures_ << m; };
        window_ = std::make_unique<MainWindow>(options);
        reception_ = new ReceptionController(*window_);
        reception_->setFailureReporter([this](const QString& m) { failures_ << m; });
        reception_->setClock([] { return kNow; });
        browser_ = reception_->createPastImageBrowser();
        settingsDialog_ = reception_->createImageSettingsDialog();
        dialog_ = reception_->createManualReceptionDialog();
        window_->show();
        // No warm-up: every block counts.
        window_->blockHandler().setWarmUpCounter(33);
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w)) d->close();
        window_.reset();
    }

    fs::path folder() const { return fs::path(dir_.path().toStdString()); }
    fs::path pics() const { return folder() / "pics"; }
    QString panel(int i) const { return window_->statusPanels().panelText(i); }
    QToolButton* button(int n) const { return window_->speedButton(n); }

    // Presses the manual button and answers the direction dialog.
    void startManual(const char* answer) {
        button(2)->click();
        ASSERT_TRUE(dialog_->isVisible());
        dialog_->findChild<QPushButton*>(answer)->click();
    }

    // Feeds blocks; returns how many were fed. onBlock runs after each one.
    int feed(BlockSource& source, int maxBlocks, const std::function<void(int)>& onBlock = {}) {
        int n = 0;
        while (n < maxBlocks) {
            const std::int16_t* block = source.next();
            if (!block) break;
            window_->blockHandler().handleBlock(block, source.framesPerBlock());
            ++n;
            if (onBlock) onBlock(n);
        }
        return n;
    }

    QTemporaryDir dir_;
    QStringList failures_;
    std::unique_ptr<MainWindow> window_;
    ReceptionController* reception_ = nullptr;
    PastImageBrowser* browser_ = nullptr;
    ImageSettingsDialog* settingsDialog_ = nullptr;
    ManualReceptionDialog* dialog_ = nullptr;
};

int brightRows(const QImage& view) {
    int rows = 0;
    for (int y = 0; y < view.height(); ++y) {
        int bright = 0;
        for (int x = 0; x < view.width(); x += 8)
            if (qGray(view.pixel(x, y)) > 40) ++bright;
        if (bright > 20) ++rows;
    }
    return rows;
}

double meanAbsoluteDifference(const PictureBuffer& a, const PictureBuffer& b) {
    if (a.width != b.width || a.height != b.height || a.empty()) return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.bgr.size(); ++i) sum += std::abs(int(a.bgr[i]) - int(b.bgr[i]));
    return sum / double(a.bgr.size());
}

}  // namespace

TEST_F(ReceptionWindowTest, ManualPassGivesLiveViewPicturesAndASoundFileThatDecodesTheSame) {
    ImageDisplay& display = reception_->display();
    EXPECT_EQ(window_->imageArea(), &display);
    EXPECT_EQ(display.objectName(), "Image2");
    EXPECT_EQ(panel(4), "CH A");
    EXPECT_EQ(panel(5), "Senser Type");

    startManual("Button1");  // N>S
    const ReceptionState& state = window_->reception();
    ASSERT_TRUE(state.receptionActive);
    EXPECT_TRUE(state.manualReception);
    EXPECT_EQ(state.currentPassDirection, 0);
    EXPECT_TRUE(button(2)->isChecked());

    BlockSource source(SignalKind::Audio, 420);
    bool sawScan = false, sawSync = false;
    int heightBefore = 0;
    feed(source, 200, [&](int n) {
        sawScan = sawScan || panel(2) == "SCAN";
        sawSync = sawSync || panel(3) == "SYNC";
        if (n == 100) {
            heightBefore = display.viewHeight();
            // A resize during the reception clears the views; drawing goes on.
            window_->resize(window_->width() + 200, window_->height() + 120);
            QApplication::processEvents();
        }
    });
    EXPECT_TRUE(sawScan);
    EXPECT_TRUE(sawSync);
    EXPECT_NE(display.viewHeight(), heightBefore);
    // 100 lines since the resize, drawn at the bottom of the live view.
    const QImage live = display.viewImage(0);
    EXPECT_EQ(live.height(), display.viewHeight());
    EXPECT_GE(brightRows(live), 80);
    EXPECT_LE(brightRows(live), 110);
    EXPECT_GT(qGray(live.pixel(500, live.height() - 1)), 0);

    // The right button shows the other channel and its panels.
    QTest::mouseClick(&display, Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_EQ(panel(4), "CH B");
    EXPECT_TRUE(window_->reception().showChannelB);
    QTest::mouseClick(&display, Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_EQ(panel(4), "CH A");

    feed(source, 1000);
    // Channel A's sensor, identified from the telemetry.
    EXPECT_TRUE(panel(5).startsWith("CH 2")) << panel(5).toStdString();
    EXPECT_EQ(panel(5).toStdString(), reception_->decoder().telemetry().sensorNameA);
    EXPECT_TRUE(fs::exists(pics() / (kStamp + "MN.flac.part"))) << "the working file has the pass's name";

    button(2)->click();  // released: the pass ends
    EXPECT_FALSE(state.receptionActive);
    EXPECT_FALSE(state.manualReception);
    EXPECT_FALSE(state.picturesBusy);
    EXPECT_TRUE(failures_.isEmpty()) << failures_.join("\n").toStdString();

    const std::string stem = kStamp + "MN";
    EXPECT_EQ(filesIn(pics()), (std::set<std::string>{stem + "A.jpg", stem + "B.jpg", stem + ".flac"}));
    // The next block is no longer decoded and clears "SCAN".
    const int lines = reception_->lineStore().lineCount;
    BlockSource after(SignalKind::Audio, 4);
    feed(after, 1);
    EXPECT_EQ(panel(2), "");
    EXPECT_EQ(reception_->lineStore().lineCount, lines);
    EXPECT_EQ(reception_->lastAudioFile(), (pics() / (stem + ".flac")).string());
    const PassPictureResult& built = reception_->lastPictures();
    ASSERT_TRUE(built.built);
    EXPECT_EQ(display.pictureHeight(), built.rows);
    EXPECT_EQ(display.scrollOffset(), 0);

    PictureBuffer saved[2];
    for (int channel = 0; channel < 2; ++channel) {
        SCOPED_TRACE(channel);
        const JpegReadResult jpeg = LoadJpegPicture((pics() / (stem + (channel ? "B.jpg" : "A.jpg"))).string());
        ASSERT_TRUE(jpeg.ok) << jpeg.error;
        EXPECT_EQ(jpeg.picture.width, 1040);
        EXPECT_GT(jpeg.picture.height, 350);
        EXPECT_GT(bestCorrelation(jpeg.picture, channel, 0), 0.9);
        saved[channel] = jpeg.picture;
    }

    // The sound file holds the decoded blocks as captured: decoding it again
    // gives the same pictures.
    const fs::path again = folder() / "again";
    const ProgramRun run = runProgram("decode '" + (pics() / (stem + ".flac")).string() + "' --data-dir '" +
                                      folder().string() + "' --out '" + again.string() + "' --no-auto-level --time " + kStamp);
    ASSERT_EQ(run.status, 0) << run.output;
    for (int channel = 0; channel < 2; ++channel) {
        const JpegReadResult jpeg = LoadJpegPicture((again / (stem + (channel ? "B.jpg" : "A.jpg"))).string());
        ASSERT_TRUE(jpeg.ok) << jpeg.error << run.output;
        EXPECT_LT(meanAbsoluteDifference(jpeg.picture, saved[channel]), 1.0) << "channel " << channel;
    }
}

TEST_F(ReceptionWindowTest, DirectionDialogClosedWithoutAChoiceStartsNothing) {
    button(1)->setChecked(true);  // automatic reception on
    button(2)->click();
    EXPECT_FALSE(button(1)->isChecked()) << "the manual button releases the automatic one";
    ASSERT_TRUE(dialog_->isVisible());
    dialog_->reject();  // the close box
    EXPECT_FALSE(button(2)->isChecked());
    EXPECT_FALSE(window_->reception().receptionActive);
    EXPECT_FALSE(window_->reception().manualReception);

    BlockSource source(SignalKind::Audio, 20);
    feed(source, 20);
    EXPECT_EQ(reception_->lineStore().lineCount, 0);
    EXPECT_EQ(panel(2), "");
    EXPECT_FALSE(fs::exists(pics()));
}

TEST_F(ReceptionWindowTest, FullStoreEndsThePassAndKeepsTheSoundOfAShortSynchronisedPass) {
    startManual("Button2");  // S>N
    ASSERT_TRUE(window_->reception().receptionActive);
    EXPECT_EQ(window_->reception().currentPassDirection, 1);
    int built = 0;
    QObject::connect(reception_, &ReceptionController::picturesBuilt, [&] { ++built; });
    // A store that already holds all but ten lines.
    reception_->lineStore().lineCount = kMaxLines - 10;

    BlockSource source(SignalKind::Audio, 40);
    feed(source, 40);
    EXPECT_EQ(reception_->lineStore().lineCount, kMaxLines);
    EXPECT_EQ(built, 1);
    EXPECT_FALSE(window_->reception().receptionActive);
    EXPECT_FALSE(window_->reception().manualReception);
    EXPECT_FALSE(button(2)->isChecked());
    EXPECT_EQ(panel(2), "");
    EXPECT_EQ(panel(3), "");

    // Synchronised, but too few lines for picture files: the sound is kept
    // under the name the pictures would have had.
    ASSERT_TRUE(reception_->syncConfirmed());
    EXPECT_EQ(filesIn(pics()), (std::set<std::string>{kStamp + "MN.flac"}));
    EXPECT_TRUE(reception_->lastPictures().built);
    EXPECT_TRUE(reception_->lastPictures().filesWritten.empty());
}

TEST_F(ReceptionWindowTest, PassWithoutSynchronisationKeepsOnlyItsSound) {
    startManual("Button1");
    // Noise only: the correlation never finds the same place twice.
    std::vector<std::int16_t> noise(2 * 24000);
    GaussianNoise random(7);
    for (int i = 0; i < 12; ++i) {
        for (auto& v : noise) v = toInt16(3000.0 * random.next());
        window_->blockHandler().handleBlock(noise.data(), 24000);
    }
    EXPECT_GT(reception_->lineStore().lineCount, 0);
    button(2)->click();
    EXPECT_FALSE(reception_->syncConfirmed());
    EXPECT_FALSE(reception_->lastPictures().built);
    // No pictures, but the sound is what one wants to decode again by hand.
    EXPECT_EQ(filesIn(pics()), (std::set<std::string>{kStamp + "MN.flac"}));
    EXPECT_EQ(reception_->lastAudioFile(), (pics() / (kStamp + "MN.flac")).string());
    EXPECT_TRUE(failures_.isEmpty());
}

TEST_F(ReceptionWindowTest, AutomaticPassIsNamedByItsMaximumAndSatellite) {
    PassInfo pass;
    pass.satellite = "NOAA-9";
    pass.frequencyMHz = 137.62;
    pass.maximumElevationDeg = 40.0;
    pass.timeOfMaximum = DayTime{45672.5};  // 2025/01/15 12:00
    reception_->setCurrentPass(pass, PassInfo{});
    window_->reception().currentPassDirection = 0;
    reception_->resetForNewPass();
    reception_->setReceptionActive(true);
    EXPECT_TRUE(reception_->display().receptionActive());

    BlockSource source(SignalKind::Audio, 160);
    feed(source, 200);
    reception_->setReceptionActive(false);
    ASSERT_TRUE(reception_->syncConfirmed());
    reception_->buildPassPictures();
    EXPECT_FALSE(reception_->display().receptionActive());
    EXPECT_EQ(filesIn(pics()),
              (std::set<std::string>{"20250115120009A.jpg", "20250115120009B.jpg", "20250115120009.flac"}));
    EXPECT_TRUE(reception_->lastPictures().titled);
}

TEST_F(ReceptionWindowTest, SoundFileFollowsTheSettingAndItsFailureNeverStopsReception) {
    // The check box of the image settings dialog switches the sound file off.
    auto* check = settingsDialog_->findChild<QCheckBox*>("CheckBox2");
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
    check->click();
    EXPECT_FALSE(window_->settings().saveAudio);

    startManual("Button1");
    BlockSource source(SignalKind::Audio, 150);
    feed(source, 150);
    button(2)->click();
    EXPECT_EQ(filesIn(pics()), (std::set<std::string>{kStamp + "MNA.jpg", kStamp + "MNB.jpg"}));

    // With the sound file on, a pictures folder that cannot be made: the
    // status bar says so, the pass is received all the same and the picture
    // files' failure is reported.
    check->click();
    EXPECT_TRUE(window_->settings().saveAudio);
    fs::remove_all(pics());
    std::ofstream(pics()) << "not a folder";
    startManual("Button1");
    BlockSource second(SignalKind::Audio, 150);
    bool told = false;
    feed(second, 150, [&](int) { told = told || panel(0).contains("受信音声ファイル"); });
    EXPECT_TRUE(told);
    EXPECT_EQ(panel(2), "SCAN");
    EXPECT_GT(reception_->lineStore().lineCount, 140);
    button(2)->click();
    EXPECT_TRUE(reception_->lastPictures().built);
    EXPECT_EQ(reception_->lastAudioFile(), "");
    ASSERT_FALSE(failures_.isEmpty());
    EXPECT_TRUE(failures_.last().contains("画像ファイルを保存できません"));
}

TEST_F(ReceptionWindowTest, SavedPairIsListedAndLoadsBackButNotDuringAReception) {
    startManual("Button1");
    BlockSource source(SignalKind::Audio, 150);
    feed(source, 150);
    button(2)->click();
    const int rows = reception_->lastPictures().rows;
    ASSERT_GT(rows, 100);

    auto* calendar = browser_->findChild<QCalendarWidget*>();
    ASSERT_NE(calendar, nullptr);
    calendar->setSelectedDate(QDate(2025, 1, 15));
    browser_->RefreshList();
    auto* list = browser_->findChild<QListWidget*>("ListBox1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "10:23 MANUAL  CH-A CH-B");
    list->setCurrentRow(0);

    // While a pass is received the pictures stay as they are.
    startManual("Button1");
    browser_->loadSelected();
    ASSERT_EQ(failures_.size(), 1);
    EXPECT_EQ(failures_[0], "信号受信中のため画像を読み込めません");
    EXPECT_TRUE(window_->reception().receptionActive);
    button(2)->click();

    button(6)->setChecked(true);
    reception_->display().resetForNewPass();
    browser_->loadSelected();
    EXPECT_FALSE(button(6)->isChecked()) << "loading shows the pictures instead of the orbit view";
    EXPECT_EQ(reception_->display().pictureHeight(), rows);
    EXPECT_EQ(reception_->display().picture(1).height(), rows);
    EXPECT_EQ(panel(0), "");
}

// Closing (or a termination request) mid-pass ends the pass as its button
// would: pictures and sound are kept.
TEST_F(ReceptionWindowTest, ClosingTheWindowDuringAPassKeepsItsPicturesAndSound) {
    window_->endReceptionForShutdown = [this] { reception_->endForShutdown(); };
    startManual("Button1");
    BlockSource source(SignalKind::Audio, 300);
    feed(source, 300);
    ASSERT_TRUE(reception_->syncConfirmed());
    window_.reset();
    EXPECT_EQ(filesIn(pics()),
              (std::set<std::string>{kStamp + "MNA.jpg", kStamp + "MNB.jpg", kStamp + "MN.flac"}));
    EXPECT_TRUE(failures_.isEmpty()) << failures_.join(QString()).toStdString();
}

TEST_F(ReceptionWindowTest, LostRecordingDeviceKeepsTheLinesAndThePicturesCanBeBuilt) {
    startManual("Button1");
    BlockSource source(SignalKind::Audio, 150);
    feed(source, 150);
    const int lines = reception_->lineStore().lineCount;
    emit window_->soundCapture().deviceLost();
    EXPECT_EQ(panel(0), "録音デバイスが停止しました");
    EXPECT_TRUE(window_->reception().receptionActive);
    EXPECT_EQ(reception_->lineStore().lineCount, lines);
    emit window_->soundCapture().deviceRestored();
    EXPECT_EQ(panel(0), "録音デバイスが復帰しました");
    button(2)->click();
    EXPECT_EQ(panel(2), "") << "no block follows to empty SCAN";
    EXPECT_EQ(panel(3), "");
    EXPECT_EQ(filesIn(pics()),
              (std::set<std::string>{kStamp + "MNA.jpg", kStamp + "MNB.jpg", kStamp + "MN.flac"}));
}

TEST_F(ReceptionWindowTest, SoundFileStopsWhenTheInputFormatChangesMidPass) {
    startManual("Button1");
    BlockSource audio(SignalKind::Audio, 20);
    feed(audio, 20);
    window_->blockHandler().setSignalType(1);
    BlockSource iq(SignalKind::IQ, 4);
    bool told = false;
    feed(iq, 4, [&](int) { told = told || panel(0).contains("受信音声"); });
    EXPECT_TRUE(told);
    EXPECT_EQ(panel(2), "SCAN") << "the reception itself goes on";
}
