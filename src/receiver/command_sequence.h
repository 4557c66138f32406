// A receiver command sequence: opening the port, command texts, waits,
// speed changes and closing, in the order the receiver expects them. The
// sequences are data, so they can be checked without a port and played by
// the SequenceRunner.
#pragma once

#include <string>
#include <vector>

#include "receiver/receiver_model.h"

namespace sorae {

struct SequenceStep {
    enum class Kind { Open, Send, Wait, SetBaud, Close };
    Kind kind = Kind::Send;
    std::string text;  // Send: the command; Open: the port name
    int value = 0;     // Wait: milliseconds; SetBaud: baud rate; Open: model

    static SequenceStep open(std::string portName, ReceiverModel model);
    static SequenceStep send(std::string text);
    static SequenceStep wait(int milliseconds);
    static SequenceStep setBaud(int baudRate);
    static SequenceStep close();

    bool operator==(const SequenceStep&) const = default;
};

using CommandSequence = std::vector<SequenceStep>;

// What a power-on needs to know besides the model.
struct PowerOnParameters {
    std::string portName;
    double frequencyMHz = 0.0;
    int antenna = 0;    // AR-5000 terminal, 0 = leave as it is
    int pcrVolume = 0;  // IC-PCR volume 0..127
};

// Power-on of model index 0..2; empty for any other value. The DJ-X11(IQ)
// sequence closes the port again at its end.
CommandSequence powerOnSequence(int model, const PowerOnParameters& parameters);

// Power-off of model index 0..2; empty for the DJ-X11(IQ) and unknown values.
CommandSequence powerOffSequence(int model);

// The bytes the sequence writes, in order (for checks and logs).
std::string sentText(const CommandSequence& sequence);

}  // namespace sorae
