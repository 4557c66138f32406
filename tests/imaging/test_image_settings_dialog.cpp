#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "imaging/qt/image_settings_dialog.h"
#include "imaging/qt/up_down_buttons.h"
#include "qt_test_app.h"

using namespace sorae;

TEST(ImageSettingsDialogTest, ControlsStartFromAndWriteTheSettingsAtOnce) {
    test::EnsureApplication();
    AppSettings settings;
    settings.minScanLine = 2399;
    settings.picCut = false;
    settings.addText = true;
    settings.picSave = true;
    ImageSettingsDialog dialog(settings);
    EXPECT_EQ(dialog.windowTitle(), "画像設定");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("GroupBox1")->title(), "受信終了時の画像処理設定");
    auto* save = dialog.findChild<QCheckBox*>("CheckBox1");
    auto* whole = dialog.findChild<QRadioButton*>("RadioButton1");
    auto* synced = dialog.findChild<QRadioButton*>("RadioButton2");
    auto* titleOn = dialog.findChild<QRadioButton*>("RadioButton3");
    auto* titleOff = dialog.findChild<QRadioButton*>("RadioButton4");
    auto* label = dialog.findChild<QLabel*>("Label1");
    auto* upDown = dialog.findChild<UpDownButtons*>("UpDown1");
    ASSERT_TRUE(save && whole && synced && titleOn && titleOff && label && upDown);
    EXPECT_TRUE(save->isChecked());
    EXPECT_TRUE(whole->isChecked());
    EXPECT_TRUE(titleOn->isChecked());
    EXPECT_EQ(label->text(), "2399");

    dialog.show();
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_FALSE(settings.picSave);
    EXPECT_TRUE(synced->isEnabled());  // still matters without files
    QTest::mouseClick(synced, Qt::LeftButton);
    EXPECT_TRUE(settings.picCut);
    QTest::mouseClick(whole, Qt::LeftButton);
    EXPECT_FALSE(settings.picCut);
    QTest::mouseClick(titleOff, Qt::LeftButton);
    EXPECT_FALSE(settings.addText);
    QTest::mouseClick(titleOn, Qt::LeftButton);
    EXPECT_TRUE(settings.addText);

    upDown->upButton()->click();
    EXPECT_EQ(settings.minScanLine, 2400);
    upDown->upButton()->click();
    EXPECT_EQ(settings.minScanLine, 2400);
    EXPECT_EQ(label->text(), "2400");
    upDown->downButton()->click();
    EXPECT_EQ(settings.minScanLine, 2399);
    upDown->setPosition(1);
    upDown->downButton()->click();
    upDown->downButton()->click();
    EXPECT_EQ(settings.minScanLine, 0);
    EXPECT_EQ(label->text(), "0");

    auto* overlay = dialog.findChild<QCheckBox*>("CheckBox3");
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->text(), "地図を重ねる");
    EXPECT_FALSE(overlay->isChecked()) << "off by default";
    overlay->click();
    EXPECT_TRUE(settings.mapOverlay);
    overlay->click();
    EXPECT_FALSE(settings.mapOverlay);
}

TEST(ImageSettingsDialogTest, ShownCentredOnTheMainWindow) {
    test::EnsureApplication();
    EXPECT_EQ(CentredTopLeft(QRect(100, 50, 1062, 727), QSize(301, 400)), QPoint(100 + 531 - 150, 50 + 363 - 200));
    QWidget main;
    main.setGeometry(200, 100, 1062, 726);
    main.show();
    AppSettings settings;
    ImageSettingsDialog dialog(settings, &main);
    dialog.show();
    const QRect frame = dialog.frameGeometry();
    const QRect outer = main.frameGeometry();
    EXPECT_EQ(frame.topLeft(), CentredTopLeft(outer, frame.size()));
}
