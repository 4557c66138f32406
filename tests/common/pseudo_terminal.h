// A pseudo-terminal pair standing in for a serial device: the program opens
// the slave by its path (raw mode), the test reads what arrives on the
// master, byte by byte with the time of arrival, and splits it into CR LF
// terminated commands.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace sorae::testsupport {

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

}  // namespace sorae::testsupport
