// Command texts and the shape of each model's power-on and power-off.
#include <gtest/gtest.h>

#include <algorithm>

#include "receiver/command_sequence.h"
#include "receiver/receiver_commands.h"

namespace sorae {
namespace {

using Kind = SequenceStep::Kind;

TEST(ReceiverCommands, TuningTextsOfTheThreeModels)
{
    struct Case {
        double mhz;
        const char* ar5000;
        const char* pcr;
        const char* djx11;
    };
    const Case cases[] = {
        {137.1, "RF137.1\r\n", "K00137100000050300\r\n", "AL~FW00137124000\r\n"},
        {137.62, "RF137.62\r\n", "K00137620000050300\r\n", "AL~FW00137644000\r\n"},
        {137.5, "RF137.5\r\n", "K00137500000050300\r\n", "AL~FW00137524000\r\n"},
        {137.9125, "RF137.9125\r\n", "K00137912500050300\r\n", "AL~FW00137936500\r\n"},
        {1.5, "RF1.5\r\n", "K00001500000050300\r\n", "AL~FW00001524000\r\n"},
        {1999.9999, "RF1999.9999\r\n", "K01999999900050300\r\n", "AL~FW02000023900\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mhz);
        EXPECT_EQ(tuneAr5000(c.mhz), c.ar5000);
        EXPECT_EQ(tunePcr(c.mhz), c.pcr);
        EXPECT_EQ(tuneDjx11(c.mhz), c.djx11);
    }
}

TEST(ReceiverCommands, PcrTuningRefusesWhatDoesNotFitTenDigits)
{
    EXPECT_EQ(tunePcr(1999.99995), "");
    EXPECT_EQ(tunePcr(2000.0), "");
    EXPECT_EQ(tunePcr(-137.1), "");
    EXPECT_EQ(tunePcr(0.0), "K00000000000050300\r\n");
    // The six decimals are rounded, not cut: 137.1000004 is 137100000 Hz.
    EXPECT_EQ(tunePcr(137.1000004), "K00137100000050300\r\n");
}

TEST(ReceiverCommands, DjxTuningTruncatesHertzAndRefusesSigns)
{
    EXPECT_EQ(tuneDjx11(137.6209999), "AL~FW00137644999\r\n");
    EXPECT_EQ(tuneDjx11(-1.0), "");
    EXPECT_EQ(tuneDjx11(20000.0), "");
}

TEST(ReceiverCommands, AntennaAndVolume)
{
    EXPECT_EQ(antennaCommand(3), "AN3\r\n");
    EXPECT_EQ(pcrVolumeCommand(0), "J4000\r\n");
    EXPECT_EQ(pcrVolumeCommand(127), "J407F\r\n");
    EXPECT_EQ(pcrVolumeCommand(10), "J400A\r\n");
    EXPECT_EQ(pcrVolumeCommand(300), "J407F\r\n");
    EXPECT_EQ(pcrVolumeCommand(-5), "J4000\r\n");
}

PowerOnParameters parameters(double mhz, int antenna = 0, int volume = 0)
{
    return PowerOnParameters{"/dev/ttyS0", mhz, antenna, volume};
}

TEST(ReceiverSequences, Ar5000PowerOnWithWaitsAndOptionalAntenna)
{
    const CommandSequence on = powerOnSequence(0, parameters(137.1));
    ASSERT_FALSE(on.empty());
    EXPECT_EQ(on.front(), SequenceStep::open("/dev/ttyS0", ReceiverModel::Ar5000));
    EXPECT_EQ(sentText(on), "X\r\nRF137.1\r\nMD0\r\nBW4\r\nEN4\r\nLP3\r\nHP0\r\n");
    // X is followed by 500 ms, each later command by 100 ms.
    std::vector<int> waits;
    for (const auto& step : on)
        if (step.kind == Kind::Wait)
            waits.push_back(step.value);
    EXPECT_EQ(waits, (std::vector<int>{500, 100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(on[1], SequenceStep::send("X\r\n"));
    EXPECT_EQ(on[2], SequenceStep::wait(500));
    EXPECT_TRUE(std::none_of(on.begin(), on.end(),
                             [](const SequenceStep& s) { return s.kind == Kind::Close; }));

    const CommandSequence withAntenna = powerOnSequence(0, parameters(137.1, 2));
    EXPECT_EQ(withAntenna.back(), SequenceStep::send("AN2\r\n"));
    EXPECT_EQ(withAntenna[withAntenna.size() - 2], SequenceStep::wait(100));
}

TEST(ReceiverSequences, PcrPowerOnRaisesSpeedAfterTheWakeUpCommands)
{
    const CommandSequence on = powerOnSequence(1, parameters(137.62, 0, 127));
    EXPECT_EQ(on.front(), SequenceStep::open("/dev/ttyS0", ReceiverModel::IcPcr));
    EXPECT_EQ(sentText(on),
              " \r\nH101\r\nG105\r\nG300\r\nH1?\r\n"
              "H101\r\nG4?\r\nG105\r\nG300\r\nH1?\r\nG301\r\nH1?\r\nGE?\r\nGD?\r\n"
              "K00137620000050300\r\n"
              "J4100\r\nJ5100\r\nJ5000\r\nJ4380\r\nJ4500\r\nJ4600\r\nJ4700\r\nJ4A80\r\nLD82000\r\n"
              "J407F\r\n"
              "LE20050\r\nLE20040\r\nH1?\r\n");
    // Speed change and the only wait come straight after the fifth command.
    EXPECT_EQ(on[6], SequenceStep::setBaud(38400));
    EXPECT_EQ(on[7], SequenceStep::wait(500));
    EXPECT_EQ(std::count_if(on.begin(), on.end(),
                            [](const SequenceStep& s) { return s.kind == Kind::Wait; }),
              1);

    const std::string untuned = sentText(powerOnSequence(1, parameters(1999.99995)));
    EXPECT_EQ(untuned.find("K0"), std::string::npos);
    EXPECT_NE(untuned.find("GD?\r\nJ4100\r\n"), std::string::npos);
}

TEST(ReceiverSequences, DjxPowerOnClosesThePortAgain)
{
    const CommandSequence on = powerOnSequence(2, parameters(137.1));
    ASSERT_EQ(on.size(), 5u);
    EXPECT_EQ(on[0], SequenceStep::open("/dev/ttyS0", ReceiverModel::Djx11));
    EXPECT_EQ(on[1], SequenceStep::send("AL~SDRON\r\n"));
    EXPECT_EQ(on[2], SequenceStep::wait(100));
    EXPECT_EQ(on[3], SequenceStep::send("AL~FW00137124000\r\n"));
    EXPECT_EQ(on[4], SequenceStep::close());
}

TEST(ReceiverSequences, PowerOffAndUnknownModels)
{
    EXPECT_EQ(powerOffSequence(0),
              (CommandSequence{SequenceStep::send("QP\r\n"), SequenceStep::close()}));
    EXPECT_EQ(powerOffSequence(1),
              (CommandSequence{SequenceStep::send("H100\r\n"), SequenceStep::close()}));
    EXPECT_TRUE(powerOffSequence(2).empty());
    for (int model : {-1, 3, 99}) {
        EXPECT_TRUE(powerOnSequence(model, parameters(137.1)).empty());
        EXPECT_TRUE(powerOffSequence(model).empty());
    }
}

}  // namespace
}  // namespace sorae
