// The main window under the offscreen platform: toolbar, status bar, sizes,
// the settings it loads and saves, its shutdown order, and start-up without
// a sound server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/main_window.h"
#include "app/program_forms.h"
#include "app/reception_hooks.h"
#include "app/status_panels.h"
#include "capture/qt/sound_capture.h"
#include "common/without_sound_server.h"
#include "orbit/pass_computation.h"
#include "settings/settings_file.h"
#include "common/qt_application.h"

using namespace sorae;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorae::testsupport::ensureApplication();
        ASSERT_TRUE(dir_.isValid());
    }
    std::string iniPath() const { return dir_.filePath(QStringLiteral("sorae-apt.ini")).toStdString(); }
    void writeIni(const std::string& text) const { std::ofstream(iniPath()) << text; }
    std::string readIni() const {
        std::ifstream in(iniPath());
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    MainWindowOptions options() const {
        MainWindowOptions o;
        o.programFolder = dir_.path().toStdString();
        o.openSoundDevices = false;
        o.reportFailure = [this](const QString& m) { failures_ << m; };
        return o;
    }

    QTemporaryDir dir_;
    mutable QStringList failures_;
};

}  // namespace

TEST_F(MainWindowTest, ToolbarHasTenButtonsInOrderWithCaptionsAndKinds) {
    MainWindow w(options());
    EXPECT_EQ(w.objectName(), QStringLiteral("TForm1"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("SORAE-APT"));
    struct Expected {
        int number;
        const char* caption;
        bool toggle;
    };
    const Expected expected[] = {
        {1, "自動受信", true},  {2, "手動受信", true},  {6, "衛星軌道", true},  {9, "画面伸張", true},
        {5, "過去画像", false}, {4, "入力設定", false}, {10, "軌道設定", false}, {11, "制御設定", false},
        {3, "画像設定", false}, {7, "モニター", true},  {12, "録音再生", true},
        {13, "通過一覧", false},
    };
    w.show();
    int lastX = -1;
    for (const auto& e : expected) {
        auto* b = w.findChild<QToolButton*>(QStringLiteral("SpeedButton%1").arg(e.number));
        ASSERT_NE(b, nullptr) << e.number;
        EXPECT_EQ(b->text(), QString::fromUtf8(e.caption)) << e.number;
        EXPECT_EQ(b->isCheckable(), e.toggle) << e.number;
        EXPECT_EQ(b->size(), QSize(80, 22)) << e.number;
        const int x = b->mapTo(&w, QPoint(0, 0)).x();
        EXPECT_GT(x, lastX) << "SpeedButton" << e.number << " is out of order";
        lastX = x;
    }
    EXPECT_EQ(w.findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^SpeedButton"))).size(), 12);
    EXPECT_TRUE(w.speedButton(6)->isChecked()) << "the orbit view is on at start";
    EXPECT_FALSE(w.speedButton(1)->isChecked());
    EXPECT_FALSE(w.speedButton(7)->isChecked());
    EXPECT_EQ(w.speedButton(8), nullptr);
}

TEST_F(MainWindowTest, StatusBarHasSevenPanelsOfTheirWidths) {
    MainWindow w(options());
    w.show();
    auto* bar = w.findChild<StatusPanels*>(QStringLiteral("StatusBar1"));
    ASSERT_NE(bar, nullptr);
    // Panel 0 takes what the window's width leaves; all of them lie inside.
    for (const int clientWidth : {1046, 1400}) {
        w.resize(clientWidth, 689);
        QApplication::processEvents();
        const int widths[] = {clientWidth - 846, 500, 50, 50, 50, 90, 100};
        for (int i = 0; i < 7; ++i) {
            ASSERT_NE(bar->panel(i), nullptr);
            EXPECT_EQ(bar->panel(i)->width(), widths[i]) << clientWidth << " panel " << i;
            EXPECT_LE(bar->panel(i)->geometry().right(), bar->width()) << clientWidth << " panel " << i;
            EXPECT_EQ(bar->panelText(i), QString()) << i;
        }
    }
    EXPECT_EQ(bar->panel(7), nullptr);
    bar->setPanelText(2, QStringLiteral("SCAN"));
    EXPECT_EQ(bar->panelText(2), QStringLiteral("SCAN"));
    // The longest current-pass line, and the next-pass line with the
    // element age beside it, fit panel 1 in the font it is shown in, also
    // in the warning's bold.
    QLabel* line = bar->panel(1);
    for (const QString& text :
         {QStringLiteral("現在通過中: NOAA-19 137.1000MHz 23:58:58>00:13:58 S>N AZA:359.9 ELV:88.8/88.8"),
          QStringLiteral("次回通過: NOAA-15 137.6200MHz 20:52:17>21:06:27 S>N MaxElev 89.9deg  ") +
              QString::fromStdString(ElementAgeShortText(-12.35)),
          QStringLiteral("次回通過: NOAA-15 137.6200MHz 20:52:17>21:06:27 S>N MaxElev 89.9deg  ") +
              QString::fromStdString(ElementAgeShortText(12345.6))}) {
        for (const bool warning : {false, true}) {
            bar->setPanelWarning(1, warning);
            bar->setPanelText(1, text);
            line->ensurePolished();
            EXPECT_LE(line->fontMetrics().horizontalAdvance(text), line->contentsRect().width() - 2 * line->margin())
                << text.toStdString() << " in " << line->font().family().toStdString() << (warning ? " bold" : "");
        }
    }
}

TEST_F(MainWindowTest, WindowCannotBeMadeSmallerThanItsMinimum) {
    MainWindow w(options());
    w.show();
    QApplication::processEvents();
    // Sizes count with the frame: the fresh window is 1062 x 726 framed,
    // the least size is that too, but the designed client area always fits.
    const QSize frame = w.frameExtras();
    EXPECT_EQ(w.size() + frame, QSize(1062, 726)) << "fresh start: the default geometry";
    EXPECT_EQ(w.minimumSize(), QSize(std::min(1046, 1062 - frame.width()), std::min(689, 726 - frame.height())));
    w.resize(1046, 689);
    EXPECT_EQ(w.size(), QSize(1046, 689));
    w.resize(600, 400);
    EXPECT_EQ(w.size(), w.minimumSize());
    w.close();
    const AppSettings saved = loadSettingsFile(iniPath());
    EXPECT_EQ(QSize(saved.mainWidth, saved.mainHeight), w.minimumSize() + frame);
}

TEST_F(MainWindowTest, IcPcrVolumeIsClampedAfterLoading) {
    for (const auto& [stored, expected] : {std::pair{200, 127}, std::pair{-5, 0}, std::pair{64, 64}}) {
        writeIni("[Radio]\nVolPCR=" + std::to_string(stored) + "\n");
        MainWindow w(options());
        EXPECT_EQ(w.settings().volPcr, expected) << stored;
    }
}

TEST_F(MainWindowTest, SettingsDriveTheButtonsAndTheHandler) {
    writeIni(
        "[Form]\nAutoScan=1\nPicStrech=1\n[Wave]\nSignalGain=-20\nDemodType=2\n"
        "[Sat]\nRecvSat0=1\nRecvSat3=0\n");
    MainWindow w(options());
    EXPECT_TRUE(w.speedButton(1)->isChecked());
    EXPECT_TRUE(w.speedButton(9)->isChecked());
    EXPECT_EQ(w.blockHandler().signalType(), 1);
    EXPECT_DOUBLE_EQ(w.blockHandler().gainLinear(), 10.0);
    EXPECT_EQ(w.blockHandler().warmUpCounter(), 32);
    EXPECT_EQ(w.state().receptionList[0], "NOAA-11");
    EXPECT_EQ(w.state().receptionList[3], "");
    EXPECT_EQ(w.state().receptionList[7], "NOAA-19");
    EXPECT_EQ(w.state().paths.elementFile, dir_.path().toStdString() + "/SatTle.txt");

    w.speedButton(1)->click();  // automatic reception off
    w.close();
    const AppSettings saved = loadSettingsFile(iniPath());
    EXPECT_FALSE(saved.autoScan);
    EXPECT_TRUE(saved.picStretch);
    EXPECT_TRUE(saved.demodType);
    EXPECT_NE(readIni().find("DemodType=1\n"), std::string::npos);
}

// The test screen is 800 x 800: no stored width beyond the least one fits.
TEST_F(MainWindowTest, GeometryIsRestoredAndSavedAtShutdown) {
    writeIni("[Form]\nMainTop=30\nMainLeft=40\nMainWidth=1062\nMainHeight=760\n");
    {
        MainWindow w(options());
        w.show();
        QApplication::processEvents();
        EXPECT_EQ(w.size() + w.frameExtras(), QSize(1062, 760));  // stored with the frame
        EXPECT_EQ(w.pos(), QPoint(40, 30));
        w.move(50, 60);
        w.resize(1200 - w.frameExtras().width(), 800 - w.frameExtras().height());
        w.close();
    }
    AppSettings s = loadSettingsFile(iniPath());
    EXPECT_EQ(s.mainLeft, 50);
    EXPECT_EQ(s.mainTop, 60);
    EXPECT_EQ(s.mainWidth, 1200);
    EXPECT_EQ(s.mainHeight, 800);
    EXPECT_FALSE(s.mainMaximised);
}

TEST_F(MainWindowTest, AbsurdStoredGeometryIsBroughtOntoTheScreen) {
    writeIni("[Form]\nMainTop=10\nMainLeft=20\nMainWidth=999999999\nMainHeight=999999999\nMainMaxmum=1\n");
    {
        MainWindow w(options());
        w.show();
        w.showNormal();
        QApplication::processEvents();
        EXPECT_EQ(w.size() + w.frameExtras(), QSize(1062, 800)) << "the screen's height, the least width";
        EXPECT_EQ(w.pos(), QPoint(0, 0));
        w.showMaximized();
        w.close();
    }
    const AppSettings s = loadSettingsFile(iniPath());
    EXPECT_EQ(QSize(s.mainWidth, s.mainHeight), QSize(1062, 800)) << "the absurd size is not saved back";
}

TEST_F(MainWindowTest, MaximisedWindowReopensMaximisedWithTheRestoredGeometry) {
    writeIni("[Form]\nMainTop=30\nMainLeft=40\nMainWidth=1062\nMainHeight=760\nMainMaxmum=0\n");
    {
        MainWindow w(options());
        w.show();
        w.showMaximized();
        ASSERT_TRUE(w.isMaximized());
        w.close();
    }
    AppSettings s = loadSettingsFile(iniPath());
    EXPECT_TRUE(s.mainMaximised);
    EXPECT_EQ(s.mainTop, 30);
    EXPECT_EQ(s.mainLeft, 40);
    EXPECT_EQ(s.mainWidth, 1062);
    EXPECT_EQ(s.mainHeight, 760);
    {
        MainWindow w(options());
        w.show();
        EXPECT_TRUE(w.isMaximized());
        w.showNormal();
        EXPECT_EQ(w.size() + w.frameExtras(), QSize(1062, 760)) << "the restored size is the remembered one";
        w.showMaximized();
    }  // destroyed without close(): the destructor saves
    s = loadSettingsFile(iniPath());
    EXPECT_TRUE(s.mainMaximised);
    EXPECT_EQ(s.mainWidth, 1062);
}

TEST_F(MainWindowTest, ShutdownSwitchesTheReceiverOffBeforeSavingAndSavesOnce) {
    MainWindow w(options());
    std::vector<std::string> order;
    w.powerOffReceiver = [&] {
        order.push_back(std::ifstream(iniPath()).good() ? "off after save" : "off");
    };
    w.close();
    order.push_back(std::ifstream(iniPath()).good() ? "saved" : "not saved");
    w.settings().signalGain = 7;
    w.shutdown();  // a second run does nothing
    EXPECT_EQ(order, (std::vector<std::string>{"off", "saved"}));
    EXPECT_EQ(loadSettingsFile(iniPath()).signalGain, 0);
    EXPECT_TRUE(failures_.isEmpty());
}

TEST_F(MainWindowTest, AFailedSaveIsReported) {
    MainWindow w(options());
    // A folder in the settings file's place: nothing can be renamed over it.
    QFile::remove(QString::fromStdString(iniPath()));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("sorae-apt.ini")));
    w.close();
    ASSERT_EQ(failures_.size(), 1);
    EXPECT_TRUE(failures_[0].startsWith(QStringLiteral("設定ファイルを保存できません")));
}

TEST_F(MainWindowTest, DialogsAreCreatedAndOpenedFromTheToolbar) {
    MainWindow w(options());
    createProgramForms(w);
    for (const char* name : {"TForm2", "TForm3", "TForm4", "TForm5", "TForm6", "TForm7", "TForm9", "TForm10", "TForm11"}) {
        EXPECT_NE(w.findChild<QDialog*>(QString::fromLatin1(name)), nullptr) << name;
    }
    w.show();
    EXPECT_FALSE(w.receptionHooks().inputDialogShowing());
    w.speedButton(4)->click();
    EXPECT_TRUE(w.findChild<QDialog*>(QStringLiteral("TForm9"))->isVisible());
    EXPECT_TRUE(w.receptionHooks().inputDialogShowing());
    w.speedButton(10)->click();
    EXPECT_TRUE(w.findChild<QDialog*>(QStringLiteral("TForm3"))->isVisible());
    EXPECT_FALSE(w.receptionHooks().monitorOn());
    w.speedButton(7)->click();
    EXPECT_TRUE(w.receptionHooks().monitorOn());
    w.speedButton(13)->click();
    EXPECT_TRUE(w.findChild<QDialog*>(QStringLiteral("TForm11"))->isVisible());
}

// In a child process without a sound server: the window reports the
// recording device once and keeps working.
TEST_F(MainWindowTest, StartsWithoutASoundServer) {
    if (!testsupport::inChildWithoutSoundServer()) {
        testsupport::rerunInChildWithoutSoundServer();
        return;
    }
    MainWindowOptions o = options();
    o.openSoundDevices = true;
    MainWindow w(o);
    w.show();
    ASSERT_EQ(failures_.size(), 2);
    EXPECT_EQ(failures_[0], QStringLiteral("再生デバイスが使用できません"));
    EXPECT_TRUE(failures_[1].startsWith(QStringLiteral("録音デバイスをオープンできないため")));
    EXPECT_FALSE(w.soundCapture().isOpen());
    // The window keeps working: buttons, status bar and the monitor switch.
    w.speedButton(7)->click();
    w.speedButton(6)->click();
    EXPECT_FALSE(w.speedButton(6)->isChecked());
    EXPECT_EQ(w.statusPanels().panelText(2), QString());
    EXPECT_EQ(failures_.size(), 2) << "reported once";
    w.close();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(iniPath())));
}

TEST_F(MainWindowTest, ReconfigurationReopensTheDevicesAndRestartsTheWarmUp) {
    MainWindow w(options());
    createProgramForms(w);
    w.show();
    w.speedButton(7)->setChecked(true);
    auto* notice = w.findChild<QDialog*>(QStringLiteral("TForm10"));
    ASSERT_NE(notice, nullptr);
    w.reconfigureSoundDevices(2, 2);  // row 2, "24kHz IF"
    EXPECT_TRUE(notice->isVisible());
    EXPECT_FALSE(w.speedButton(7)->isChecked()) << "the monitor is released";
    EXPECT_EQ(w.blockHandler().signalType(), 1);
    EXPECT_TRUE(w.settings().demodType);
    EXPECT_EQ(w.settings().input, 2);
    EXPECT_FALSE(w.soundCapture().isOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.reconfigurationPending(); }, 5000));
    EXPECT_FALSE(notice->isVisible());
    EXPECT_EQ(w.blockHandler().warmUpCounter(), 0) << "33 blocks are skipped after a change";
    if (std::getenv("SORAE_PULSE_AVAILABLE") != nullptr) {
        EXPECT_TRUE(failures_.isEmpty()) << failures_.join(QString()).toStdString();
        EXPECT_TRUE(w.soundCapture().isOpen());
        EXPECT_EQ(w.soundCapture().framesPerBlock(), 48000);
    }
    w.close();
    EXPECT_NE(readIni().find("DemodType=1\n"), std::string::npos);
    EXPECT_NE(readIni().find("Input=2\n"), std::string::npos);
}

// A saved device that is not there at start: the user is told and the
// default source records; the name is kept for when the device is back.
TEST_F(MainWindowTest, AMissingSavedDeviceFallsBackToTheDefaultSource) {
    if (std::getenv("SORAE_PULSE_AVAILABLE") == nullptr) GTEST_SKIP() << "no PulseAudio test server";
    writeIni("[Wave]\nInput=2\nInputName=unplugged_mic\n");
    MainWindowOptions o = options();
    o.openSoundDevices = true;
    {
        MainWindow w(o);
        ASSERT_EQ(failures_.size(), 1) << failures_.join(QString()).toStdString();
        EXPECT_EQ(failures_[0], QStringLiteral("設定された録音デバイス「unplugged_mic」が見つかりません\n"
                                               "標準の入力デバイスで録音します"));
        EXPECT_TRUE(w.soundCapture().isOpen());
        EXPECT_TRUE(w.soundCapture().requestedId().isEmpty());
        EXPECT_EQ(w.settings().input, 0);
    }
    EXPECT_NE(readIni().find("InputName=unplugged_mic\n"), std::string::npos);
}
