// The receiver models the program can drive and the serial line settings
// each of them expects.
#pragma once

#include <optional>
#include <string_view>

namespace sorae {

enum class ReceiverModel { Ar5000 = 0, IcPcr = 1, Djx11 = 2 };

// Receiver model from the stored Radio/Type value; nothing for values
// outside 0..2.
std::optional<ReceiverModel> receiverModelFromIndex(int index);

// "AR-5000", "IC-PCR", "DJ-X11(IQ)"; empty for an unknown value.
std::string_view receiverModelName(int index);

enum class StopBits { One, Two };

// Line settings of one model. Every model runs without parity and without
// any output flow control: neither CTS/DSR nor XON/XOFF holds the output, so
// a three-wire cable works. DTR and RTS are raised for the receiver to see.
struct LineSettings {
    int baudRate = 9600;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
    bool hardwareFlowControl = false;
};

// AR-5000 19200 8N2; IC-PCR 9600 8N1 when opened (raised to 38400 once it
// is on); DJ-X11(IQ) 57600 8N1.
LineSettings lineSettingsFor(ReceiverModel model);

// The IC-PCR's working speed after its wake-up commands.
inline constexpr int kPcrFastBaud = 38400;

}  // namespace sorae
