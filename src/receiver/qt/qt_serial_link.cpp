#include "receiver/qt/qt_serial_link.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <thread>

namespace sorae {

QtSerialLink::QtSerialLink()
{
    // A port that disappears (USB adapter pulled) counts as closed from then
    // on; everything else the port reports is handled where it happens.
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError error) {
                         if (error == QSerialPort::ResourceError && port_.isOpen())
                             port_.close();
                     });
}

QtSerialLink::~QtSerialLink()
{
    if (port_.isOpen())
        port_.close();
}

bool QtSerialLink::openPort(const std::string& portName, const LineSettings& settings)
{
    if (port_.isOpen())
        closePort();
    if (portName.empty())
        return false;
    port_.setPortName(QString::fromStdString(portName));
    if (!port_.open(QIODevice::ReadWrite)) {
        port_.clearError();
        return false;
    }
    const bool configured =
        port_.setBaudRate(settings.baudRate) &&
        port_.setDataBits(settings.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8) &&
        port_.setParity(QSerialPort::NoParity) &&
        port_.setStopBits(settings.stopBits == StopBits::Two ? QSerialPort::TwoStop
                                                             : QSerialPort::OneStop) &&
        port_.setFlowControl(settings.hardwareFlowControl ? QSerialPort::HardwareControl
                                                          : QSerialPort::NoFlowControl);
    if (!configured) {
        port_.close();
        port_.clearError();
        return false;
    }
    // Raise DTR and RTS as the handshake lines. Pseudo-terminals and some
    // adapters refuse the request; the port works without them.
    port_.setDataTerminalReady(true);
    if (!settings.hardwareFlowControl)
        port_.setRequestToSend(true);
    // A freshly opened port starts from empty buffers.
    port_.clear(QSerialPort::AllDirections);
    port_.clearError();
    return true;
}

void QtSerialLink::closePort()
{
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}

bool QtSerialLink::isOpen() const
{
    return port_.isOpen();
}

bool QtSerialLink::setBaud(int baudRate)
{
    if (!port_.isOpen())
        return false;
    // What is still on its way out would go at the new speed and arrive as
    // garbage: let the system send it all first.
    port_.flush();
    ::tcdrain(static_cast<int>(port_.handle()));
    const bool ok = port_.setBaudRate(baudRate);
    port_.clearError();
    return ok;
}

std::size_t QtSerialLink::queuedBytes() const
{
    if (!port_.isOpen())
        return 0;
    std::size_t queued = static_cast<std::size_t>(port_.bytesToWrite());
    int systemQueue = 0;
    if (::ioctl(static_cast<int>(port_.handle()), TIOCOUTQ, &systemQueue) == 0 && systemQueue > 0)
        queued += static_cast<std::size_t>(systemQueue);
    return queued;
}

bool QtSerialLink::writeByte(char byte)
{
    if (!port_.isOpen())
        return false;
    if (port_.write(&byte, 1) != 1)
        return false;
    port_.flush();
    return true;
}

void QtSerialLink::discardOutput()
{
    if (port_.isOpen())
        port_.clear(QSerialPort::Output);
}

void QtSerialLink::waitForOutput(std::chrono::milliseconds maxWait)
{
    if (port_.isOpen() && port_.bytesToWrite() > 0)
        port_.waitForBytesWritten(static_cast<int>(maxWait.count()));
    else
        std::this_thread::sleep_for(maxWait);
}

}  // namespace sorae
