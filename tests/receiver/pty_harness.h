// Pseudo-terminal pairs and helpers for driving the receiver controller on
// a real serial device: the program opens the slave by its path, the test
// reads what arrives on the master with the time of arrival.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "receiver/qt/qt_serial_link.h"
#include "receiver/qt/receiver_controller.h"

namespace sorae::testing {

using Clock = std::chrono::steady_clock;

struct Arrival {
    char byte;
    Clock::time_point at;
};

// One command as it arrived: its text without CR LF, and when its first and
// last bytes came.
struct ArrivedCommand {
    std::string text;
    Clock::time_point first;
    Clock::time_point last;
};

class PtyPair {
public:
    PtyPair()
    {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        path_ = name;
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair()
    {
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool valid() const { return master_ >= 0; }
    const std::string& path() const { return path_; }
    int slaveFd() const { return slave_; }

    // Reads whatever has arrived on the master side.
    void poll()
    {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n; ++i)
                arrivals_.push_back({buffer[i], now});
        }
    }

    std::string text() const
    {
        std::string s;
        for (const Arrival& a : arrivals_)
            s += a.byte;
        return s;
    }

    std::vector<ArrivedCommand> commands() const
    {
        std::vector<ArrivedCommand> out;
        ArrivedCommand current;
        bool started = false;
        for (std::size_t i = 0; i < arrivals_.size(); ++i) {
            const Arrival& a = arrivals_[i];
            if (!started) {
                current = ArrivedCommand{{}, a.at, a.at};
                started = true;
            }
            current.text += a.byte;
            current.last = a.at;
            if (current.text.size() >= 2 && current.text.ends_with("\r\n")) {
                current.text.resize(current.text.size() - 2);
                out.push_back(current);
                started = false;
            }
        }
        return out;
    }

    void clear() { arrivals_.clear(); }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::vector<Arrival> arrivals_;
};

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
