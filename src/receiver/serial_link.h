// The write-only serial line to the receiver, as the command sequences see
// it. The real port lives in receiver/qt; tests may put a pseudo-terminal or
// a recording fake behind the same interface.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "receiver/receiver_model.h"

namespace sorae {

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // Opens the named device with the given line settings. On failure the
    // link stays closed; an empty name fails at once.
    virtual bool openPort(const std::string& portName, const LineSettings& settings) = 0;
    virtual void closePort() = 0;
    virtual bool isOpen() const = 0;

    // Changes the speed of the open port, keeping everything else.
    virtual bool setBaud(int baudRate) = 0;

    // Bytes written but not yet on the wire: the program's own buffer and
    // the system's output queue together.
    virtual std::size_t queuedBytes() const = 0;

    // Hands one byte to the port; false when the port cannot take it.
    virtual bool writeByte(char byte) = 0;

    // Throws away whatever is still queued for output.
    virtual void discardOutput() = 0;

    // Blocks for at most maxWait to let queued output drain; used only when
    // the event loop is not running (shutdown).
    virtual void waitForOutput(std::chrono::milliseconds maxWait) = 0;
};

}  // namespace sorae
