// The orbit settings and manual reception dialogs under the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "common/qt/up_down_buttons.h"
#include "orbit/qt/colour_panel.h"
#include "orbit/qt/manual_reception_dialog.h"
#include "orbit/qt/orbit_settings_dialog.h"
#include "common/qt_application.h"

using namespace sorae;

namespace {

class OrbitDialogTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::ensureApplication(); }
    template <class T>
    T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void choosePreset(OrbitSettingsDialog& d, int index) {
        auto* box = child<QComboBox>(&d, "ComboBox1");
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    AppSettings settings;
};

}  // namespace

TEST_F(OrbitDialogTest, PresetFillsAndLocksTheFieldsAndOwnPositionComesBack) {
    settings.preset = 0;
    settings.locateN = 36.25;
    settings.locateE = 138.5;
    OrbitSettingsDialog d(settings);
    auto* lat = child<QLineEdit>(&d, "Edit2");
    auto* lon = child<QLineEdit>(&d, "Edit3");
    EXPECT_TRUE(lat->isEnabled());
    EXPECT_EQ(child<QComboBox>(&d, "ComboBox1")->count(), 48);
    EXPECT_EQ(child<QComboBox>(&d, "ComboBox1")->itemText(13), QStringLiteral("東京都　新宿区"));

    choosePreset(d, 13);
    EXPECT_EQ(lat->text(), "35.6894875");
    EXPECT_EQ(lon->text(), "139.6917064");
    EXPECT_FALSE(lat->isEnabled());
    EXPECT_FALSE(lon->isEnabled());
    EXPECT_EQ(settings.preset, 13);

    QSignalSpy station(&d, &OrbitSettingsDialog::stationChanged);
    QSignalSpy compute(&d, &OrbitSettingsDialog::computePassesRequested);
    d.applyClose();
    EXPECT_DOUBLE_EQ(settings.locateN, 35.6894875);
    EXPECT_DOUBLE_EQ(settings.locateE, 139.6917064);
    EXPECT_EQ(station.count(), 1);
    EXPECT_EQ(compute.count(), 1);

    // A typed position under row 0 becomes the new row 0.
    choosePreset(d, 0);
    lat->setText("40.5");
    d.applyClose();
    EXPECT_DOUBLE_EQ(settings.locateN, 40.5);
    choosePreset(d, 20);
    choosePreset(d, 0);
    EXPECT_EQ(lat->text(), "40.5");
    // Closing again without changes asks for nothing.
    d.applyClose();
    compute.clear();
    d.applyClose();
    EXPECT_EQ(compute.count(), 0);
}

TEST_F(OrbitDialogTest, InvalidCoordinateKeepsTheDialogOpenUntilMended) {
    settings.preset = 0;
    OrbitSettingsDialog d(settings);
    d.show();
    QSignalSpy invalid(&d, &OrbitSettingsDialog::invalidCoordinate);
    QSignalSpy compute(&d, &OrbitSettingsDialog::computePassesRequested);
    QSignalSpy download(&d, &OrbitSettingsDialog::downloadRequested);
    child<QLineEdit>(&d, "Edit2")->setText("35,68N");
    child<QLineEdit>(&d, "Edit3")->setText("200");
    child<QLineEdit>(&d, "Edit1")->setText("http://127.0.0.1:1/other.txt");
    EXPECT_FALSE(child<QLineEdit>(&d, "Edit2")->toolTip().isEmpty()) << "marked while typed";
    d.close();
    EXPECT_TRUE(d.isVisible()) << "refused while open";
    EXPECT_EQ(invalid.count(), 1);
    EXPECT_EQ(compute.count(), 0);
    EXPECT_EQ(download.count(), 0) << "nothing is taken over with a bad coordinate";
    EXPECT_DOUBLE_EQ(settings.locateN, 35.6894875);
    EXPECT_DOUBLE_EQ(settings.locateE, 139.6917064);
    EXPECT_EQ(child<QLineEdit>(&d, "Edit2")->text(), "35,68N") << "the typed value stays to be mended";

    child<QLineEdit>(&d, "Edit2")->setText("43.5");
    d.close();
    EXPECT_TRUE(d.isVisible()) << "the longitude is still out of range";
    EXPECT_EQ(invalid.count(), 2);
    child<QLineEdit>(&d, "Edit3")->setText("141.25");
    EXPECT_TRUE(child<QLineEdit>(&d, "Edit3")->toolTip().isEmpty());
    d.close();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(invalid.count(), 2);
    EXPECT_DOUBLE_EQ(settings.locateN, 43.5);
    EXPECT_DOUBLE_EQ(settings.locateE, 141.25);
    EXPECT_EQ(compute.count(), 1);
    EXPECT_EQ(download.count(), 1);
}

TEST_F(OrbitDialogTest, ElevationUpDownsKeepTheirRule) {
    settings.maxElev = 3.0;
    settings.minElev = 3.0;
    OrbitSettingsDialog d(settings);
    auto* up1 = child<UpDownButtons>(&d, "UpDown1");
    auto* up2 = child<UpDownButtons>(&d, "UpDown2");
    EXPECT_EQ(up1->position(), 30);
    up1->downButton()->click();
    EXPECT_EQ(up1->position(), 30);
    EXPECT_DOUBLE_EQ(settings.maxElev, 3.0);
    EXPECT_FALSE(d.passSettingsChanged());
    EXPECT_EQ(child<QLabel>(&d, "Label7")->text(), QStringLiteral("3.0度"));

    // The reception elevation may rise above the pass elevation.
    up2->upButton()->click();
    EXPECT_NEAR(settings.minElev, 3.1, 1e-12);
    EXPECT_DOUBLE_EQ(settings.maxElev, 3.0);
    EXPECT_TRUE(d.passSettingsChanged());
    EXPECT_EQ(child<QLabel>(&d, "Label10")->text(), QStringLiteral("3.1度"));

    up1->upButton()->click();  // 31, not below 31
    EXPECT_NEAR(settings.maxElev, 3.1, 1e-12);
    QSignalSpy list(&d, &OrbitSettingsDialog::receptionListChanged);
    d.applyClose();
    EXPECT_EQ(list.count(), 1);
}

TEST_F(OrbitDialogTest, CheckBoxesAndAddressAndDays) {
    OrbitSettingsDialog d(settings);
    child<QCheckBox>(&d, "CheckBox1")->click();
    EXPECT_TRUE(settings.recvSat[0]);
    child<QCheckBox>(&d, "CheckBox11")->click();
    EXPECT_TRUE(settings.sortNext);
    EXPECT_TRUE(d.passSettingsChanged());

    auto* autoUpdate = child<QCheckBox>(&d, "CheckBox9");
    autoUpdate->click();
    EXPECT_FALSE(settings.autoUpdate);
    EXPECT_FALSE(child<UpDownButtons>(&d, "UpDown3")->isEnabled());
    autoUpdate->click();
    child<UpDownButtons>(&d, "UpDown3")->upButton()->click();
    EXPECT_EQ(settings.updateDay, 15);

    QSignalSpy download(&d, &OrbitSettingsDialog::downloadRequested);
    QSignalSpy update(&d, &OrbitSettingsDialog::updateRequested);
    // 更新 fetches from the address just typed, which is kept, so that
    // closing does not fetch a second time.
    std::string addressAtUpdate;
    QObject::connect(&d, &OrbitSettingsDialog::updateRequested, [&] { addressAtUpdate = settings.address; });
    child<QLineEdit>(&d, "Edit1")->setText("http://127.0.0.1:1/typed.txt");
    child<QPushButton>(&d, "Button1")->click();
    EXPECT_EQ(update.count(), 1);
    EXPECT_EQ(addressAtUpdate, "http://127.0.0.1:1/typed.txt");
    d.applyClose();
    EXPECT_EQ(download.count(), 0);
    child<QLineEdit>(&d, "Edit1")->setText("http://127.0.0.1:1/noaa.txt");
    d.applyClose();
    EXPECT_EQ(download.count(), 1);
    EXPECT_EQ(settings.address, "http://127.0.0.1:1/noaa.txt");
    EXPECT_EQ(child<QLabel>(&d, "ProgramVersion")->text(), "version 1.0.0 build 005");
}

TEST_F(OrbitDialogTest, ColourPanelStoresChosenColourAndRedrawsMap) {
    OrbitSettingsDialog d(settings);
    d.show();
    QSignalSpy redraw(&d, &OrbitSettingsDialog::baseMapColoursChanged);
    auto* panel = child<ColourPanel>(&d, "Panel2");
    QTest::mouseClick(panel, Qt::LeftButton);
    auto* dialog = d.findChild<QColorDialog*>("ColorDialog");
    ASSERT_NE(dialog, nullptr);
    dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
    dialog->accept();
    EXPECT_EQ(settings.mapCoastColor, 0x563412u);
    EXPECT_EQ(redraw.count(), 1);

    // A satellite colour does not redraw the map; Cancel keeps the colour.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(d.findChild<QColorDialog*>("ColorDialog"), nullptr);
    QTest::mouseClick(child<ColourPanel>(&d, "Panel16"), Qt::LeftButton);
    dialog = d.findChild<QColorDialog*>("ColorDialog");
    ASSERT_NE(dialog, nullptr);
    dialog->setCurrentColor(Qt::white);
    dialog->reject();
    EXPECT_EQ(settings.satTrack[0], 0x004080u);
    EXPECT_EQ(redraw.count(), 1);
}

TEST_F(OrbitDialogTest, ManualReceptionDirection) {
    ManualReceptionDialog d;
    QSignalSpy chosen(&d, &ManualReceptionDialog::directionChosen);
    d.askDirection();
    child<QPushButton>(&d, "Button2")->click();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), ManualReceptionDialog::kSouthToNorth);

    d.askDirection();
    child<QPushButton>(&d, "Button1")->click();
    EXPECT_EQ(chosen.at(1).at(0).toInt(), ManualReceptionDialog::kNorthToSouth);

    d.askDirection();
    d.close();  // the close box: no choice
    ASSERT_EQ(chosen.count(), 3);
    EXPECT_EQ(chosen.at(2).at(0).toInt(), ManualReceptionDialog::kNoChoice);
}
