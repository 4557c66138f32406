// The input device dialog: gain label, requirement labels, the check mark
// on the device in use, and when closing re-configures the devices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/qt_application.h"
#include "common/sound_server.h"
#include "capture/block_handler.h"
#include "capture/qt/input_device_dialog.h"
#include "capture/qt/recording_devices.h"
#include "common/private_sound_server.h"

using namespace sorae;

namespace {

struct FakeProgram {
    QByteArray inUse;  // the default source
    int type = 0;
    int gain = 0;
    bool autoLevel = false;
    bool icPcr = false;
    std::vector<std::pair<std::optional<QByteArray>, int>> reconfigurations;
    int volumeShown = 0;

    InputDeviceDialog::Host host() {
        InputDeviceDialog::Host h;
        h.deviceInUse = [this] { return inUse; };
        h.signalType = [this] { return type; };
        h.signalGain = [this] { return gain; };
        h.receiverIsIcPcr = [this] { return icPcr; };
        h.setSignalGain = [this](int g) { gain = g; };
        h.autoLevel = [this] { return autoLevel; };
        h.setAutoLevel = [this](bool on) { autoLevel = on; };
        h.reconfigure = [this](const std::optional<QByteArray>& device, int chosen) {
            reconfigurations.emplace_back(device, chosen);
            if (device) inUse = *device;
            type = chosen != 0 ? 1 : 0;
        };
        h.showIcPcrVolume = [this] { ++volumeShown; };
        return h;
    }
};

template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

}  // namespace

TEST(InputDeviceDialog, GainLabelAndRequirementTexts) {
    EXPECT_EQ(gainLabelText(-7), QStringLiteral("[+7dB]"));
    EXPECT_EQ(gainLabelText(0), QStringLiteral("[0dB]"));
    EXPECT_EQ(gainLabelText(5), QStringLiteral("[-5dB]"));
    EXPECT_EQ(gainLabelText(-20), QStringLiteral("[+20dB]"));
    EXPECT_EQ(requirementText(0), QStringLiteral("48kHz Mono"));
    EXPECT_EQ(requirementText(1), QStringLiteral("96kHz Stereo"));
    EXPECT_EQ(requirementText(2), QStringLiteral("96kHz Mono"));
}

TEST(InputDeviceDialog, CreationShowsTheStoredChoices) {
    testsupport::ensureApplication();
    for (const auto& [stored, radio] : {std::pair{0, "RadioButton1"}, std::pair{1, "RadioButton2"},
                                        std::pair{2, "RadioButton3"}, std::pair{7, "RadioButton1"}}) {
        FakeProgram p;
        p.type = stored;
        p.gain = -7;
        InputDeviceDialog d(p.host());
        EXPECT_EQ(d.objectName(), QStringLiteral("TForm9"));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("入力デバイスの選択"));
        EXPECT_TRUE(child<QRadioButton>(d, radio)->isChecked()) << stored;
        EXPECT_EQ(child<QSlider>(d, "TrackBar1")->value(), -7);
        EXPECT_EQ(child<QLabel>(d, "Label3")->text(), QStringLiteral("[+7dB]"));
        EXPECT_FALSE(child<QPushButton>(d, "Button3")->isEnabled());
        EXPECT_EQ(p.gain, -7) << "creation does not write the gain back";
    }
    FakeProgram icPcr;
    icPcr.icPcr = true;
    InputDeviceDialog d(icPcr.host());
    auto* volume = child<QPushButton>(d, "Button3");
    EXPECT_TRUE(volume->isEnabled());
    volume->click();
    EXPECT_EQ(icPcr.volumeShown, 1);
}

TEST(InputDeviceDialog, SliderAndRadiosActAtOnce) {
    testsupport::ensureApplication();
    FakeProgram p;
    InputDeviceDialog d(p.host());
    auto* slider = child<QSlider>(d, "TrackBar1");
    slider->setValue(-20);
    EXPECT_EQ(p.gain, -20);
    EXPECT_EQ(child<QLabel>(d, "Label3")->text(), QStringLiteral("[+20dB]"));
    EXPECT_DOUBLE_EQ(signalGainLinear(p.gain), 10.0);
    auto* requirement = child<QLabel>(d, "RequirementLabel");
    EXPECT_EQ(requirement->text(), QStringLiteral("48kHz Mono"));
    child<QRadioButton>(d, "RadioButton2")->click();
    EXPECT_EQ(requirement->text(), QStringLiteral("96kHz Stereo"));
    child<QRadioButton>(d, "RadioButton3")->click();
    EXPECT_EQ(requirement->text(), QStringLiteral("96kHz Mono"));
    EXPECT_TRUE(p.reconfigurations.empty()) << "choices take effect only on closing";
}

TEST(InputDeviceDialog, ClosingReconfiguresOnlyWhenSomethingChanged) {
    testsupport::ensureApplication();
    FakeProgram p;
    p.type = 1;
    {
        InputDeviceDialog d(p.host());
        d.show();
        d.close();
        EXPECT_TRUE(p.reconfigurations.empty()) << "closing without changes leaves the devices alone";
    }
    {
        InputDeviceDialog d(p.host());
        d.show();
        child<QRadioButton>(d, "RadioButton3")->click();  // "24kHz IF" while 1 is stored
        d.close();
        ASSERT_EQ(p.reconfigurations.size(), 1u);
        EXPECT_EQ(p.reconfigurations[0].first, std::nullopt);
        EXPECT_EQ(p.reconfigurations[0].second, 2);
        EXPECT_EQ(p.type, 1) << "stored as 1";
    }
    InputDeviceDialog again(p.host());
    EXPECT_TRUE(child<QRadioButton>(again, "RadioButton2")->isChecked());
}

// Escape is "leave it as it was"; the close box takes the choices.
TEST(InputDeviceDialog, EscapeLeavesTheSettingsAsTheyWere) {
    testsupport::ensureApplication();
    FakeProgram p;
    p.inUse = "some_source";
    p.gain = -3;
    InputDeviceDialog d(p.host());
    auto* list = child<QTreeWidget>(d, "ListView1");
    auto* autoLevel = child<QCheckBox>(d, "AutoLevelCheck");
    EXPECT_EQ(autoLevel->text(), QStringLiteral("自動レベル調整"));
    EXPECT_EQ(child<QPushButton>(d, "Button2")->text(), QStringLiteral("サウンド設定"));
    const auto change = [&] {
        d.show();
        child<QSlider>(d, "TrackBar1")->setValue(10);
        autoLevel->click();
        child<QRadioButton>(d, "RadioButton2")->click();
        list->topLevelItem(0)->setSelected(true);  // the default source instead of some_source
    };
    change();
    EXPECT_EQ(p.gain, 10) << "the gain acts at once";
    EXPECT_TRUE(p.autoLevel) << "and so does the automatic level";
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(p.gain, -3);
    EXPECT_EQ(child<QLabel>(d, "Label3")->text(), QStringLiteral("[+3dB]"));
    EXPECT_FALSE(p.autoLevel);
    EXPECT_TRUE(child<QRadioButton>(d, "RadioButton1")->isChecked());
    EXPECT_TRUE(p.reconfigurations.empty());

    change();
    d.close();
    EXPECT_EQ(p.gain, 10);
    EXPECT_TRUE(p.autoLevel);
    ASSERT_EQ(p.reconfigurations.size(), 1u);
    EXPECT_EQ(p.reconfigurations[0], std::make_pair(std::optional(QByteArray()), 1));
}

TEST(InputDeviceDialog, CheckMarkStaysOnTheDeviceInUseUntilClosing) {
    testsupport::ensureApplication();
    FakeProgram p;
    InputDeviceDialog d(p.host());
    auto* list = child<QTreeWidget>(d, "ListView1");
    ASSERT_GE(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("標準の入力デバイス"));
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked);
    if (list->topLevelItemCount() < 2) GTEST_SKIP() << "no recording device listed";

    d.show();
    QTreeWidgetItem* second = list->topLevelItem(1);
    list->setCurrentItem(second);
    second->setCheckState(0, Qt::Checked);  // as a click on its box would
    emit list->itemClicked(second, 0);
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(second->checkState(0), Qt::Unchecked);
    d.close();
    ASSERT_EQ(p.reconfigurations.size(), 1u);
    EXPECT_EQ(p.reconfigurations[0].first, std::optional(recordingDeviceForRow(1).id())) << "the device shown";
    EXPECT_EQ(p.reconfigurations[0].second, 0);
    EXPECT_EQ(second->checkState(0), Qt::Checked);
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Unchecked);
}

TEST(InputDeviceDialog, TestServerSourcesAreListedWithTheirFormats) {
    if (!testsupport::soundServerAvailable()) GTEST_SKIP() << "no PulseAudio test server";
    testsupport::ensureApplication();
    FakeProgram p;
    InputDeviceDialog d(p.host());
    auto* list = child<QTreeWidget>(d, "ListView1");
    bool mic = false;
    bool iq = false;
    for (int row = 1; row < list->topLevelItemCount(); ++row) {
        const auto* item = list->topLevelItem(row);
        if (item->text(0) == QStringLiteral("TestMic")) {
            mic = true;
            EXPECT_EQ(item->text(1), QStringLiteral("ST"));
        }
        if (item->text(0) == QStringLiteral("IQIn")) {
            iq = true;
            EXPECT_EQ(item->text(2), QStringLiteral("ST"));
        }
    }
    EXPECT_TRUE(mic);
    EXPECT_TRUE(iq);
}

TEST(InputDeviceDialog, MeterIsDrawnIntoItsImage) {
    testsupport::ensureApplication();
    FakeProgram p;
    InputDeviceDialog d(p.host());
    std::vector<double> envelope(12000, 0.0);
    envelope[100] = 1700;  // bar 84: into the overload zone
    d.drawLevelMeter(envelope.data(), 12000);
    const QImage image = child<QLabel>(d, "Image1")->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(13, 100));
    EXPECT_EQ(image.pixel(3, 99) & 0xFFFFFF, 0xFFFF00u);  // height 1: yellow
    EXPECT_EQ(image.pixel(3, 17) & 0xFFFFFF, 0xFF0000u);  // height 83: red
    EXPECT_EQ(image.pixel(3, 15) & 0xFFFFFF, 0x800000u);  // height 85: maroon
    EXPECT_EQ(image.pixel(3, 16) & 0xFFFFFF, 0x000000u);  // scan line
}

// Sources plugged in and out while the dialog is open (on a server of the
// test's own, run by AudioDevice.ServerChangesAreFollowed): the list
// follows, a chosen row keeps its device, and a chosen device that went
// away is never swapped for another.
TEST(PrivateServer, DialogFollowsSourcesPluggedInAndOut) {
    if (!testsupport::inPrivateSoundServerChild()) GTEST_SKIP() << "runs under AudioDevice.ServerChangesAreFollowed";
    testsupport::ensureApplication();
    FakeProgram p;
    InputDeviceDialog d(p.host());
    d.show();
    auto* list = child<QTreeWidget>(d, "ListView1");
    const auto rowNamed = [&](const char* name) -> QTreeWidgetItem* {
        for (int row = 1; row < list->topLevelItemCount(); ++row)
            if (list->topLevelItem(row)->text(0) == QLatin1String(name)) return list->topLevelItem(row);
        return nullptr;
    };
    ASSERT_NE(rowNamed("IQIn"), nullptr);
    rowNamed("IQIn")->setSelected(true);

    const auto module = testsupport::pactl({QStringLiteral("load-module"), QStringLiteral("module-remap-source"),
                                            QStringLiteral("source_name=plug_in"),
                                            QStringLiteral("master=test_sink.monitor"),
                                            QStringLiteral("source_properties=device.description=PlugIn")});
    ASSERT_TRUE(module.has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowNamed("PlugIn") != nullptr; }, 10000));
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().first()->text(0), QStringLiteral("IQIn"));

    list->clearSelection();
    rowNamed("PlugIn")->setSelected(true);
    ASSERT_TRUE(testsupport::pactl({QStringLiteral("unload-module"), *module}).has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowNamed("PlugIn") == nullptr; }, 10000));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    d.close();
    EXPECT_TRUE(p.reconfigurations.empty());
}
