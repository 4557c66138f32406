// Writes blocks of 16-bit stereo frames into a FIFO from its own thread, so
// that a sound server's pipe source delivers them to the program through the
// real capture path. The GUI thread queues blocks; writing may block while
// the server has not read the previous ones.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sorae::soak {

class PipeFeeder {
public:
    PipeFeeder() = default;
    ~PipeFeeder();
    PipeFeeder(const PipeFeeder&) = delete;
    PipeFeeder& operator=(const PipeFeeder&) = delete;

    // Opens the FIFO for writing and starts the thread; false with the
    // reason in error() when the FIFO cannot be opened.
    bool start(const std::string& fifoPath);
    void push(const std::int16_t* samples, std::size_t count);
    // Blocks written to the FIFO so far.
    long written() const;
    const std::string& error() const { return error_; }

private:
    void run();

    int fd_ = -1;
    std::string error_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::vector<std::int16_t>> queue_;
    long written_ = 0;
    bool stop_ = false;
};

}  // namespace sorae::soak
