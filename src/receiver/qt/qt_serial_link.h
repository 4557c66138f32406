// The receiver's serial port on top of QSerialPort. Bytes are pushed to the
// device as soon as they are written, so the receiver sees one byte per
// write as it expects; the output queue counted for flow control is Qt's
// buffer plus the system's queue.
#pragma once

#include <QSerialPort>

#include "receiver/serial_link.h"

namespace sorae {

class QtSerialLink final : public SerialLink {
public:
    QtSerialLink();
    ~QtSerialLink() override;

    bool openPort(const std::string& portName, const LineSettings& settings) override;
    void closePort() override;
    bool isOpen() const override;
    bool setBaud(int baudRate) override;
    std::size_t queuedBytes() const override;
    bool writeByte(char byte) override;
    void discardOutput() override;
    void waitForOutput(std::chrono::milliseconds maxWait) override;

    QSerialPort& port() { return port_; }

private:
    QSerialPort port_;
};

}  // namespace sorae
