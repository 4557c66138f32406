// Power-on and power-off of each model over a real pseudo-terminal: the bytes
// that arrive, the pauses between them, and the line settings they go with.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <clocale>
#include <cstdio>

#include "common/qt_application.h"
#include "pty_harness.h"

namespace sorae {
namespace {

using testing::ArrivedCommand;
using testing::ObservedLink;
using testing::PtyPair;
using testing::pumpUntilIdle;

std::vector<std::string> texts(const std::vector<ArrivedCommand>& commands)
{
    std::vector<std::string> out;
    for (const auto& c : commands)
        out.push_back(c.text);
    return out;
}

// The pause before command `index` as seen on the master side: from the last
// byte of the one before to its first byte.
double pauseBefore(const std::vector<ArrivedCommand>& commands, std::size_t index)
{
    return testing::millisecondsBetween(commands[index - 1].last, commands[index].first);
}

// The kernel hands bytes from the slave to the master side in deferred work,
// so a byte may show up there some milliseconds after it was written and the
// pause after it looks shorter by that much. The exact check is on the write
// side (pauseWrittenBefore); the master side checks that the pause is there.
constexpr double kDeliveryAllowanceMs = 25.0;

// Pause the program left before the first byte of command `index`.
double pauseWrittenBefore(const ObservedLink& link, const std::vector<ArrivedCommand>& commands,
                          std::size_t index)
{
    std::size_t byte = 0;
    for (std::size_t i = 0; i < index; ++i)
        byte += commands[i].text.size() + 2;
    return link.writePauseBefore(byte);
}

void expectPause(const ObservedLink& link, const std::vector<ArrivedCommand>& commands,
                 std::size_t index, double milliseconds)
{
    SCOPED_TRACE(commands.at(index).text);
    EXPECT_GE(pauseWrittenBefore(link, commands, index), milliseconds);
    EXPECT_GE(pauseBefore(commands, index), milliseconds - kDeliveryAllowanceMs);
}

class ReceiverOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::ensureApplication();
        ASSERT_TRUE(pty.valid());
        auto observed = std::make_unique<ObservedLink>(&pty);
        link = observed.get();
        settings.portName = pty.path();
        controller = std::make_unique<ReceiverController>(settings, std::move(observed));
    }

    void pump() { pumpUntilIdle(*controller, {&pty}); }

    PtyPair pty;
    AppSettings settings;
    ObservedLink* link = nullptr;
    std::unique_ptr<ReceiverController> controller;
};

TEST_F(ReceiverOnPty, Ar5000OnWithPausesAntennaAndOff)
{
    settings.type = 0;
    settings.antNum = 2;
    EXPECT_TRUE(controller->powerOn(137.1));
    // Asked for while the sequence runs: must come after it, whole.
    controller->setAntenna(3);
    EXPECT_TRUE(controller->powerOn(137.1));  // accepted, but finds the port open
    pump();

    const auto commands = pty.commands();
    EXPECT_EQ(texts(commands), (std::vector<std::string>{"X", "RF137.1", "MD0", "BW4", "EN4",
                                                         "LP3", "HP0", "AN2", "AN3"}));
    EXPECT_EQ(pty.text().substr(0, 12), "X\r\nRF137.1\r\n");
    ASSERT_EQ(commands.size(), 9u);
    expectPause(*link, commands, 1, 500.0);
    for (std::size_t i = 2; i <= 7; ++i)
        expectPause(*link, commands, i, 100.0);
    EXPECT_TRUE(controller->isOn());
    ASSERT_FALSE(link->lines.empty());
    for (const auto& line : link->lines) {
        EXPECT_EQ(line.speed, speed_t(B19200));
        EXPECT_TRUE(line.twoStopBits);
        EXPECT_FALSE(line.rtsCts);  // a three-wire cable must do
    }

    // While on: a second power-on and antenna 0 send nothing.
    pty.clear();
    EXPECT_FALSE(controller->powerOn(137.1));
    controller->setAntenna(0);
    controller->setAntenna(4);
    pump();
    EXPECT_EQ(pty.text(), "AN4\r\n");

    pty.clear();
    EXPECT_TRUE(controller->powerOff());
    pump();
    EXPECT_EQ(pty.text(), "QP\r\n");
    EXPECT_FALSE(controller->isOn());
    EXPECT_FALSE(controller->powerOff());
    controller->setAntenna(1);
    pump();
    EXPECT_EQ(pty.text(), "QP\r\n");
}

TEST_F(ReceiverOnPty, PcrOnRaisesSpeedAfterWakeUpAndSkipsTuningAbove2GHz)
{
    settings.type = 1;
    settings.volPcr = 127;
    EXPECT_TRUE(controller->powerOn(1999.99995));
    pump();
    const std::string wakeUp = " \r\nH101\r\nG105\r\nG300\r\nH1?\r\n";
    EXPECT_EQ(pty.text(),
              wakeUp +
                  "H101\r\nG4?\r\nG105\r\nG300\r\nH1?\r\nG301\r\nH1?\r\nGE?\r\nGD?\r\n"
                  "J4100\r\nJ5100\r\nJ5000\r\nJ4380\r\nJ4500\r\nJ4600\r\nJ4700\r\nJ4A80\r\n"
                  "LD82000\r\nJ407F\r\nLE20050\r\nLE20040\r\nH1?\r\n");
    const auto commands = pty.commands();
    ASSERT_GT(commands.size(), 5u);
    expectPause(*link, commands, 5, 500.0);
    ASSERT_EQ(link->lines.size(), pty.text().size());
    for (std::size_t i = 0; i < link->lines.size(); ++i) {
        ASSERT_EQ(link->lines[i].speed, speed_t(i < wakeUp.size() ? B9600 : B38400)) << i;
        ASSERT_FALSE(link->lines[i].twoStopBits);
        ASSERT_FALSE(link->lines[i].rtsCts);
    }

    pty.clear();
    controller->setVolumePcr(10);
    EXPECT_TRUE(controller->powerOff());
    pump();
    EXPECT_EQ(pty.text(), "J400A\r\nH100\r\n");
    EXPECT_FALSE(controller->isOn());
}

TEST_F(ReceiverOnPty, DjxOnClosesThePortAndOffDoesNothing)
{
    settings.type = 2;
    EXPECT_TRUE(controller->powerOn(137.1));
    pump();
    const auto commands = pty.commands();
    EXPECT_EQ(texts(commands), (std::vector<std::string>{"AL~SDRON", "AL~FW00137124000"}));
    ASSERT_EQ(commands.size(), 2u);
    expectPause(*link, commands, 1, 100.0);
    for (const auto& line : link->lines)
        EXPECT_EQ(line.speed, speed_t(B57600));
    EXPECT_FALSE(controller->isOn());
    EXPECT_FALSE(controller->powerOff());
    // Closed again, so it can be switched on again.
    EXPECT_TRUE(controller->powerOn(137.62));
    pump();
    EXPECT_EQ(pty.commands().back().text, "AL~FW00137644000");
}

// The program runs with the user's locale; a decimal comma there must not
// reach the receiver.
TEST_F(ReceiverOnPty, TuningIgnoresADecimalCommaLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "de_DE.UTF-8 is not generated (scripts/install-deps.sh makes it)";
    char comma[8];
    std::snprintf(comma, sizeof comma, "%.1f", 1.5);
    ASSERT_STREQ(comma, "1,5");
    settings.type = 0;
    controller->powerOn(137.9125);
    pump();
    controller->powerOff();
    settings.type = 1;
    controller->powerOn(137.9125);
    pump();
    std::setlocale(LC_ALL, saved.c_str());
    const std::string text = pty.text();
    EXPECT_NE(text.find("\r\nRF137.9125\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nK00137912500050300\r\n"), std::string::npos) << text;
}

TEST_F(ReceiverOnPty, EmptyPortNameFailsAtOnceAndSendsNothing)
{
    QSignalSpy messages(controller.get(), &ReceiverController::statusMessage);
    settings.portName.clear();
    for (int model : {0, 1, 2}) {
        settings.type = model;
        EXPECT_TRUE(controller->powerOn(137.1));
        // Decided before powerOn returns: no sequence left waiting.
        EXPECT_FALSE(controller->busy());
        EXPECT_FALSE(controller->isOn());
    }
    EXPECT_EQ(messages.count(), 3);
    pump();
    EXPECT_EQ(pty.text(), "");
    EXPECT_TRUE(link->lines.empty());
}

TEST_F(ReceiverOnPty, ModelOutsideTheListSendsNothing)
{
    settings.type = 3;
    EXPECT_TRUE(controller->powerOn(137.1));
    pump();
    EXPECT_FALSE(controller->isOn());
    EXPECT_EQ(pty.text(), "");
}

TEST_F(ReceiverOnPty, ShutdownSwitchesOffBeforeReturning)
{
    settings.type = 1;
    controller->powerOn(137.1);
    pump();
    ASSERT_TRUE(controller->isOn());
    pty.clear();
    // Asked for but not yet run when the program ends: forgotten.
    controller->setVolumePcr(1);
    controller->powerOffForShutdown();
    EXPECT_FALSE(controller->isOn());
    EXPECT_FALSE(controller->busy());
    pty.poll();
    // setVolumePcr started at once (nothing else ran), so it may precede.
    const std::string text = pty.text();
    EXPECT_TRUE(text == "H100\r\n" || text == "J4001\r\nH100\r\n") << text;
}

TEST_F(ReceiverOnPty, ShutdownCutsARunningPowerOnShortWithoutMixingBytes)
{
    settings.type = 0;
    controller->powerOn(137.1);  // now in the 500 ms pause after X
    ASSERT_TRUE(controller->busy());
    controller->powerOffForShutdown();
    pty.poll();
    EXPECT_FALSE(controller->isOn());
    EXPECT_EQ(pty.text(), "X\r\nRF137.1\r\nMD0\r\nBW4\r\nEN4\r\nLP3\r\nHP0\r\nQP\r\n");
}

}  // namespace
}  // namespace sorae
