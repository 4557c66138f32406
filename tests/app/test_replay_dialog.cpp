// The replay dialog reads a recording's name as decode does: the start time
// shown in station time with the convention that gave it, the satellite
// chosen; a file libsndfile cannot read is explained in Japanese before the
// library's own English reason, while the dialog is still open.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <fstream>

#include "app/replay_dialog.h"
#include "common/qt_application.h"
#include "common/scratch_folder.h"

using namespace sorae;

TEST(ReplayDialog, TheFileNameGivesTheStationTimeAndTheSatellite) {
    testsupport::ensureApplication();
    ReplayDialog dialog({"NOAA-15", "NOAA-18", "NOAA-19"}, nullptr);
    dialog.ask(QString(), ReplaySpeed::Real);
    auto* file = dialog.findChild<QLineEdit*>("ReplayFileEdit");
    auto* satellite = dialog.findChild<QComboBox*>("ReplaySatelliteBox");
    auto* nameTime = dialog.findChild<QLabel*>("ReplayNameTimeLabel");
    ASSERT_TRUE(file && satellite && nameTime);
    struct Case {
        const char* path;
        const char* shown;      // in the label, station time
        const char* satellite;  // chosen; "" leaves the choice as it was
    };
    const Case cases[] = {
        {"/rec/gqrx_20210714_220140_137100000.wav", "2021/07/15 07:01:40 日本時間 (gqrx", "NOAA-19"},  // 137.1 MHz
        {"/rec/gqrx_20210714_220140_145800000.wav", "2021/07/15 07:01:40 日本時間 (gqrx", ""},
        {"/rec/NOAA19_137100_20250115_102300.wav", "2025/01/15 19:23:00 日本時間", "NOAA-19"},
        {"/rec/20250115192318.flac", "2025/01/15 19:23:00 日本時間 (this program", "NOAA-18"},
        {"/rec/n15-pass.wav", "ファイル名に時刻がありません", "NOAA-15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        satellite->setCurrentIndex(0);
        file->setText(QString::fromUtf8(c.path));
        EXPECT_TRUE(nameTime->text().contains(QString::fromUtf8(c.shown))) << nameTime->text().toStdString();
        EXPECT_EQ(satellite->currentData().toString(), QString::fromUtf8(c.satellite));
    }
    // An I/Q recording's name gives its centre (137.62 MHz, not NOAA-15's
    // carrier here): the satellite is told at the carrier given, else not.
    auto* quadrature = dialog.findChild<QCheckBox*>("ReplayQuadratureBox");
    auto* carrier = dialog.findChild<QLineEdit*>("ReplayCarrierEdit");
    ASSERT_TRUE(quadrature && carrier);
    quadrature->setChecked(true);
    satellite->setCurrentIndex(0);
    file->setText("/rec/SDRSharp_20190521_170204Z_137620000Hz_IQ.wav");
    EXPECT_EQ(satellite->currentData().toString(), QString());
    carrier->setText("-520000");
    EXPECT_EQ(satellite->currentData().toString(), QStringLiteral("NOAA-19"));
}

TEST(ReplayDialog, AnUnreadableFileIsExplainedInJapaneseBeforeLibsndfilesReason) {
    testsupport::ensureApplication();
    testsupport::ScratchFolder scratch;
    const std::string notSound = scratch.file("notes.wav");
    std::ofstream(notSound) << "this is not a sound file";
    ReplayDialog dialog({"NOAA-19"}, nullptr);
    int requested = 0;
    QObject::connect(&dialog, &ReplayDialog::replayRequested, [&] { ++requested; });
    dialog.ask(QString::fromStdString(notSound), ReplaySpeed::Real);
    dialog.findChild<QPushButton*>("ReplayStartButton")->click();
    const QString shown = dialog.findChild<QLabel*>("ReplayErrorLabel")->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("認識できません (libsndfile: "))) << shown.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(requested, 0);

    // Messages without a library reason pass unchanged.
    EXPECT_EQ(explainRecordingError(QStringLiteral("受信中は録音再生できません")),
              QStringLiteral("受信中は録音再生できません"));
}
