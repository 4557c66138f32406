// The receiver control in the main window: one controller, its two dialogs
// found by their names, the shutdown power-off, the port's messages in the
// status bar, and the scheduler switching the configured model on and off
// over a pseudo-terminal.
#include "test_schedule_support.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include "app/program_forms.h"
#include "app/receiver_wiring.h"
#include "app/status_panels.h"
#include "receiver/command_sequence.h"
#include "receiver/qt/receiver_controller.h"

using namespace sorae;
using namespace sorae::testing;

namespace {

class ReceiverWiringTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<MainWindow>(windowOptions(dir_));
    }
    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(ReceiverWiringTest, FormsShareOneControllerAndReplaceThePlaceholders) {
    createProgramForms(*window_);
    ReceiverController& a = receiverControllerOf(*window_);
    ReceiverController& b = receiverControllerOf(*window_);
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(window_->findChildren<ReceiverController*>().size(), 1);
    for (const char* name : {"TForm3", "TForm4", "TForm7"}) {
        auto* dialog = window_->findChild<QDialog*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
        ASSERT_NE(dialog, nullptr) << name;
        EXPECT_GT(dialog->findChildren<QWidget*>().size(), 2) << name << " is a real dialog";
    }
    EXPECT_TRUE(static_cast<bool>(window_->powerOffReceiver));
}

TEST_F(ReceiverWiringTest, ModelChangeEnablesTheVolumeButtonOfTheOpenInputDialog) {
    window_->settings().type = 0;
    createProgramForms(*window_);
    auto* input = window_->findChild<QDialog*>(QStringLiteral("TForm9"), Qt::FindDirectChildrenOnly);
    auto* receiverForm = window_->findChild<QDialog*>(QStringLiteral("TForm4"), Qt::FindDirectChildrenOnly);
    ASSERT_NE(input, nullptr);
    ASSERT_NE(receiverForm, nullptr);
    input->show();
    auto* volume = input->findChild<QPushButton*>(QStringLiteral("Button3"));
    auto* model = receiverForm->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    ASSERT_NE(volume, nullptr);
    ASSERT_NE(model, nullptr);
    EXPECT_FALSE(volume->isEnabled());
    model->setCurrentIndex(1);
    EXPECT_EQ(window_->settings().type, 1);
    EXPECT_TRUE(volume->isEnabled());
    model->setCurrentIndex(2);
    EXPECT_FALSE(volume->isEnabled());
    input->close();
}

TEST_F(ReceiverWiringTest, PowerOnOffBytesReachThePortAndShutdownSwitchesOff) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.path.empty());
    AppSettings& s = window_->settings();
    s.type = 1;  // IC-PCR: power-off has bytes of its own
    s.portName = pty.path;
    ReceiverController& receiver = receiverControllerOf(*window_);
    receiver.setFrequencySource([] { return 137.9125; });
    ASSERT_TRUE(receiver.powerOn());
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.busy(), 10000);
    PowerOnParameters on;
    on.portName = pty.path;
    on.frequencyMHz = 137.9125;
    on.pcrVolume = s.volPcr;
    on.antenna = s.antNum;
    EXPECT_EQ(pty.drain(), sentText(powerOnSequence(1, on)));

    // Shutdown runs the installed power-off first.
    window_->shutdown();
    EXPECT_FALSE(receiver.isOn());
    EXPECT_EQ(pty.drain(), sentText(powerOffSequence(1)));
}

TEST_F(ReceiverWiringTest, PortFailureIsShownInTheStatusBar) {
    window_->settings().portName = "/nonexistent/tty-sorae";
    ReceiverController& receiver = receiverControllerOf(*window_);
    window_->statusPanels().setPanelText(0, QString());
    receiver.powerOn(137.1);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->statusPanels().panelText(0).isEmpty(), 10000);
    EXPECT_FALSE(receiver.isOn());
}

}  // namespace
