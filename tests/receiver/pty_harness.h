// Helpers for driving the receiver controller on a real serial device (a
// pseudo-terminal pair): running the event loop until the controller is
// idle, and a serial link that notes the line settings at every byte.
#pragma once

#include <termios.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "common/pseudo_terminal.h"
#include "receiver/qt/qt_serial_link.h"
#include "receiver/qt/receiver_controller.h"

namespace sorae::testing {

using testsupport::Arrival;
using testsupport::ArrivedCommand;
using testsupport::Clock;
using testsupport::PtyPair;

// Runs the event loop, reading the masters, until the controller has played
// everything asked of it (bounded), then lets the last bytes arrive.
inline void pumpUntilIdle(ReceiverController& controller, std::vector<PtyPair*> ptys,
                          std::chrono::milliseconds limit = std::chrono::seconds(8))
{
    const auto deadline = Clock::now() + limit;
    auto readAll = [&] {
        for (PtyPair* p : ptys)
            p->poll();
    };
    readAll();  // what went out before the loop started
    while (controller.busy() && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        readAll();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    const auto settle = Clock::now() + std::chrono::milliseconds(30);
    while (Clock::now() < settle) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        readAll();
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
}

inline double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The real serial link, noting the line settings of the device at each
// byte it writes (read back from the slave side of the pseudo-terminal).
class ObservedLink final : public SerialLink {
public:
    struct Line {
        speed_t speed;
        bool twoStopBits;
        bool rtsCts;
        Clock::time_point startedAt;  // before the byte was handed over
        Clock::time_point writtenAt;  // after
    };

    explicit ObservedLink(const PtyPair* pty = nullptr) : pty_(pty) {}
    void observe(const PtyPair* pty) { pty_ = pty; }

    bool openPort(const std::string& name, const LineSettings& s) override
    {
        return inner.openPort(name, s);
    }
    void closePort() override { inner.closePort(); }
    bool isOpen() const override { return inner.isOpen(); }
    bool setBaud(int rate) override { return inner.setBaud(rate); }
    std::size_t queuedBytes() const override { return inner.queuedBytes(); }
    bool writeByte(char byte) override
    {
        if (pty_ != nullptr) {
            termios t{};
            ::tcgetattr(pty_->slaveFd(), &t);
            lines.push_back({::cfgetospeed(&t), (t.c_cflag & CSTOPB) != 0,
                             (t.c_cflag & CRTSCTS) != 0, Clock::now(), {}});
        }
        const bool ok = inner.writeByte(byte);
        if (pty_ != nullptr)
            lines.back().writtenAt = Clock::now();
        return ok;
    }
    void discardOutput() override { inner.discardOutput(); }
    void waitForOutput(std::chrono::milliseconds wait) override { inner.waitForOutput(wait); }

    QtSerialLink inner;
    std::vector<Line> lines;

    // The pause the program left before writing byte `index`.
    double writePauseBefore(std::size_t index) const
    {
        return millisecondsBetween(lines.at(index - 1).writtenAt, lines.at(index).startedAt);
    }

private:
    const PtyPair* pty_;
};

}  // namespace sorae::testing
