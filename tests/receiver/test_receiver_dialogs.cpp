// The receiver and volume dialogs under the offscreen platform, acting on
// receivers behind real pseudo-terminals.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>

#include "common/qt_application.h"
#include "pty_harness.h"
#include "receiver/qt/pcr_volume_dialog.h"
#include "receiver/qt/receiver_settings_dialog.h"

namespace sorae {
namespace {

using testing::PtyPair;

template <typename W>
W* child(QWidget& parent, const char* name)
{
    W* widget = parent.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class ReceiverDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        ASSERT_TRUE(first.valid() && second.valid() && spare.valid());
        ports = {QString::fromStdString(first.path()), QString::fromStdString(second.path())};
        settings.autoCont = true;
        settings.portList = 1;
        controller = std::make_unique<ReceiverController>(
            settings, std::make_unique<testing::ObservedLink>());
    }

    std::unique_ptr<ReceiverSettingsDialog> makeDialog()
    {
        return std::make_unique<ReceiverSettingsDialog>(settings, *controller, nullptr,
                                                        [this] { return ports; });
    }

    void pump() { testing::pumpUntilIdle(*controller, {&first, &second, &spare}); }

    PtyPair first, second, spare;
    QStringList ports;
    AppSettings settings;
    std::unique_ptr<ReceiverController> controller;
};

TEST_F(ReceiverDialogs, ReceiverDialogShowsTheSettings)
{
    settings.type = 1;
    settings.antNum = 3;
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->objectName(), "TForm4");
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("受信機制御設定"));
    auto* portBox = child<QComboBox>(*dialog, "ComboBox1");
    auto* modelBox = child<QComboBox>(*dialog, "ComboBox2");
    auto* antennaBox = child<QComboBox>(*dialog, "ComboBox3");
    EXPECT_TRUE(portBox->isEditable());
    EXPECT_EQ(portBox->currentIndex(), 1);
    EXPECT_EQ(settings.portName, second.path());
    EXPECT_EQ(modelBox->currentText(), "IC-PCR");
    EXPECT_EQ(modelBox->count(), 3);
    EXPECT_EQ(antennaBox->currentText(), "ANT 3");
    EXPECT_EQ(antennaBox->itemText(0), QStringLiteral("設定しない"));
    EXPECT_EQ(child<QCheckBox>(*dialog, "CheckBox1")->text(), QStringLiteral("受信機を自動制御する"));
    EXPECT_EQ(child<QLabel>(*dialog, "Label1")->text(), QStringLiteral("RS232C ポート"));
    EXPECT_EQ(child<QLabel>(*dialog, "Label2")->text(), QStringLiteral("受信機"));
    EXPECT_EQ(child<QLabel>(*dialog, "Label3")->text(), QStringLiteral("アンテナ端子"));
    EXPECT_EQ(child<QPushButton>(*dialog, "Button1")->text(), QStringLiteral("電源ON"));
    EXPECT_EQ(child<QPushButton>(*dialog, "Button2")->text(), QStringLiteral("電源OFF"));
    EXPECT_EQ(child<QPushButton>(*dialog, "Button3")->text(), QStringLiteral("再認識"));
    EXPECT_EQ(child<QCheckBox>(*dialog, "CheckBox1")->parentWidget(), dialog.get());
    EXPECT_EQ(portBox->parentWidget(), child<QFrame>(*dialog, "Panel1"));
    // The antenna box is only for the AR-5000.
    EXPECT_FALSE(antennaBox->isEnabled());
    EXPECT_FALSE(child<QLabel>(*dialog, "Label3")->isEnabled());
    EXPECT_TRUE(modelBox->isEnabled());

}

// The stored port name wins over the stored list index, and a port that is
// not there right now (adapter unplugged) stays the port.
TEST_F(ReceiverDialogs, StoredPortIsKeptWhetherPresentOrNot)
{
    struct Case {
        int portList;
        std::string portName;
        int index;
        std::string expectedName;
        int expectedList;
    };
    const Case cases[] = {
        {1, "", 1, second.path(), 1},             // index only (older files)
        {0, second.path(), 1, second.path(), 1},  // the list order changed
        {0, spare.path(), -1, spare.path(), -1},  // not present now
        {5, "", -1, "", 5},                       // index past the list
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portName + " " + std::to_string(c.portList));
        settings.portList = c.portList;
        settings.portName = c.portName;
        auto dialog = makeDialog();
        auto* portBox = child<QComboBox>(*dialog, "ComboBox1");
        EXPECT_EQ(portBox->currentIndex(), c.index);
        EXPECT_EQ(portBox->currentText().toStdString(), c.expectedName);
        EXPECT_EQ(settings.portName, c.expectedName);
        EXPECT_EQ(settings.portList, c.expectedList);
    }
}

TEST_F(ReceiverDialogs, WithoutAutomaticControlThePowerButtonsAreDeadAndDisabled)
{
    settings.autoCont = false;
    settings.type = 2;
    auto dialog = makeDialog();
    auto* on = child<QPushButton>(*dialog, "Button1");
    auto* off = child<QPushButton>(*dialog, "Button2");
    for (const char* name : {"Panel1", "ComboBox1", "ComboBox2", "Button1", "Button2", "Label1",
                             "Label2", "ComboBox3", "Label3"})
        EXPECT_FALSE(child<QWidget>(*dialog, name)->isEnabled()) << name;
    // Even when the click reaches the handler, nothing is sent.
    emit on->clicked();
    emit off->clicked();
    pump();
    EXPECT_EQ(second.text(), "");

    // Ticking the box enables them but switches nothing on by itself.
    child<QCheckBox>(*dialog, "CheckBox1")->click();
    EXPECT_TRUE(settings.autoCont);
    EXPECT_TRUE(on->isEnabled());
    EXPECT_FALSE(child<QComboBox>(*dialog, "ComboBox3")->isEnabled());  // not an AR-5000
    pump();
    EXPECT_EQ(second.text(), "");
    on->click();
    pump();
    EXPECT_EQ(second.text(), "AL~SDRON\r\nAL~FW00137124000\r\n");
}

TEST_F(ReceiverDialogs, DetectAgainAndPortChangeWhileOnMoveTheReceiver)
{
    settings.type = 0;
    auto dialog = makeDialog();
    child<QPushButton>(*dialog, "Button1")->click();
    pump();
    ASSERT_TRUE(controller->isOn());
    ASSERT_EQ(second.commands().front().text, "X");
    second.clear();

    ports = {QString::fromStdString(spare.path()), QString::fromStdString(first.path())};
    child<QPushButton>(*dialog, "Button3")->click();
    EXPECT_EQ(settings.portList, 0);
    EXPECT_EQ(settings.portName, spare.path());
    EXPECT_EQ(child<QComboBox>(*dialog, "ComboBox1")->count(), 2);
    pump();
    EXPECT_EQ(second.text(), "QP\r\n");
    const auto commands = spare.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands.front().text, "X");
    // 100 ms between the two, less what the pty's delivery may take off.
    EXPECT_GE(testing::millisecondsBetween(second.commands().back().last, commands.front().first),
              100.0 - 25.0);
    EXPECT_TRUE(controller->isOn());
    EXPECT_EQ(first.text(), "");

    // Choosing another port from the list moves the receiver there too.
    spare.clear();
    child<QComboBox>(*dialog, "ComboBox1")->setCurrentIndex(1);
    EXPECT_EQ(settings.portList, 1);
    EXPECT_EQ(settings.portName, first.path());
    pump();
    EXPECT_EQ(spare.text(), "QP\r\n");
    EXPECT_EQ(first.text(), "X\r\nRF137.1\r\nMD0\r\nBW4\r\nEN4\r\nLP3\r\nHP0\r\n");
}

TEST_F(ReceiverDialogs, AntennaVolumeAndModelChangeWhileAnAr5000IsOn)
{
    settings.type = 0;
    settings.volPcr = 40;
    auto dialog = makeDialog();
    PcrVolumeDialog volume(settings, *controller);
    QSignalSpy modelChanges(dialog.get(), &ReceiverSettingsDialog::modelChanged);
    auto* antennaBox = child<QComboBox>(*dialog, "ComboBox3");
    EXPECT_TRUE(antennaBox->isEnabled());
    child<QPushButton>(*dialog, "Button1")->click();
    pump();
    ASSERT_TRUE(controller->isOn());
    second.clear();

    antennaBox->setCurrentIndex(3);
    EXPECT_EQ(settings.antNum, 3);
    pump();
    EXPECT_EQ(second.text(), "AN3\r\n");
    antennaBox->setCurrentIndex(0);  // "設定しない"
    EXPECT_EQ(settings.antNum, 0);
    // The volume belongs to the IC-PCR: with an AR-5000 only the value moves.
    child<QSlider>(volume, "TrackBar1")->setValue(100);
    EXPECT_EQ(settings.volPcr, 27);
    pump();
    EXPECT_EQ(second.text(), "AN3\r\n");

    second.clear();
    child<QComboBox>(*dialog, "ComboBox2")->setCurrentIndex(2);
    EXPECT_EQ(settings.type, 2);
    EXPECT_FALSE(antennaBox->isEnabled());
    ASSERT_EQ(modelChanges.count(), 1);
    EXPECT_EQ(modelChanges.at(0).at(0).toInt(), 2);
    pump();
    const auto commands = second.commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].text, "QP");
    EXPECT_EQ(commands[1].text, "AL~SDRON");
    EXPECT_EQ(commands[2].text, "AL~FW00137124000");
    EXPECT_GE(testing::millisecondsBetween(commands[0].last, commands[1].first), 100.0 - 25.0);
    EXPECT_FALSE(controller->isOn());
}

TEST_F(ReceiverDialogs, VolumeSliderWhileAnIcPcrIsOnAndOff)
{
    settings.type = 1;
    settings.volPcr = 27;
    settings.portName = second.path();
    PcrVolumeDialog volume(settings, *controller);
    EXPECT_EQ(volume.objectName(), "TForm7");
    EXPECT_EQ(volume.windowTitle(), QStringLiteral("IC-PCR音量"));
    auto* slider = child<QSlider>(volume, "TrackBar1");
    auto* label = child<QLabel>(volume, "Label3");
    EXPECT_EQ(slider->orientation(), Qt::Vertical);
    EXPECT_EQ(slider->maximum(), 127);
    EXPECT_EQ(slider->tickInterval(), 32);
    EXPECT_EQ(slider->value(), 100);
    EXPECT_EQ(label->text(), "27");

    // Off: stored and shown only.
    slider->setValue(0);
    EXPECT_EQ(settings.volPcr, 127);
    EXPECT_EQ(label->text(), "127");
    pump();
    EXPECT_EQ(second.text(), "");

    controller->powerOn(137.1);
    pump();
    ASSERT_TRUE(controller->isOn());
    ASSERT_NE(second.text().find("J407F\r\n"), std::string::npos);
    second.clear();
    slider->setValue(117);
    slider->setValue(116);
    EXPECT_EQ(label->text(), "11");
    pump();
    EXPECT_EQ(second.text(), "J400A\r\nJ400B\r\n");
}

TEST_F(ReceiverDialogs, TypedPortNameIsUsed)
{
    settings.type = 2;
    auto dialog = makeDialog();
    auto* portBox = child<QComboBox>(*dialog, "ComboBox1");
    portBox->lineEdit()->setText(QString::fromStdString(spare.path()));
    emit portBox->lineEdit()->editingFinished();
    EXPECT_EQ(settings.portName, spare.path());
    EXPECT_EQ(settings.portList, -1);
    EXPECT_EQ(portBox->count(), 2);  // not added to the list
    EXPECT_EQ(portBox->currentIndex(), -1);
    EXPECT_EQ(portBox->currentText(), QString::fromStdString(spare.path()));
    pump();
    EXPECT_EQ(spare.text(), "");  // the receiver was off: nothing happens
    child<QPushButton>(*dialog, "Button1")->click();
    pump();
    EXPECT_EQ(spare.text(), "AL~SDRON\r\nAL~FW00137124000\r\n");
    EXPECT_EQ(second.text(), "");

    // Typing the name of a listed port selects that entry.
    portBox->lineEdit()->setText(QString::fromStdString(first.path()));
    emit portBox->lineEdit()->editingFinished();
    EXPECT_EQ(settings.portList, 0);
    EXPECT_EQ(settings.portName, first.path());
    // And the entry chosen before the typing can be chosen again.
    portBox->lineEdit()->setText(QString::fromStdString(spare.path()));
    emit portBox->lineEdit()->editingFinished();
    portBox->setCurrentIndex(0);
    EXPECT_EQ(settings.portList, 0);
    EXPECT_EQ(settings.portName, first.path());

    // A dialog made later shows the typed name again.
    portBox->lineEdit()->setText(QString::fromStdString(spare.path()));
    emit portBox->lineEdit()->editingFinished();
    auto again = makeDialog();
    EXPECT_EQ(child<QComboBox>(*again, "ComboBox1")->currentText(),
              QString::fromStdString(spare.path()));
    EXPECT_EQ(settings.portName, spare.path());
}

TEST_F(ReceiverDialogs, DialogsAreCentredOnTheirWindow)
{
    QWidget main;
    main.setGeometry(100, 50, 801, 600);
    main.show();
    auto dialog = makeDialog();
    dialog->setCentreAnchor(&main);
    dialog->resize(300, 201);
    dialog->show();
    const QRect frame = dialog->frameGeometry();
    const QRect anchor = main.frameGeometry();
    EXPECT_EQ(frame.top(), anchor.top() + anchor.height() / 2 - frame.height() / 2);
    EXPECT_EQ(frame.left(), anchor.left() + anchor.width() / 2 - frame.width() / 2);

    PcrVolumeDialog volume(settings, *controller);
    volume.setCentreAnchor(dialog.get());
    volume.show();
    const QRect inner = volume.frameGeometry();
    EXPECT_EQ(inner.top(), frame.top() + frame.height() / 2 - inner.height() / 2);
    EXPECT_EQ(inner.left(), frame.left() + frame.width() / 2 - inner.width() / 2);
}

}  // namespace
}  // namespace sorae
