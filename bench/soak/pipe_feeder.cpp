#include "soak/pipe_feeder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace sorae::soak {

PipeFeeder::~PipeFeeder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
}

bool PipeFeeder::start(const std::string& fifoPath) {
    // Read-write so that the open does not wait for a reader.
    fd_ = ::open(fifoPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = fifoPath + ": " + std::strerror(errno);
        return false;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void PipeFeeder::push(const std::int16_t* samples, std::size_t count) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.emplace_back(samples, samples + count);
    }
    wake_.notify_one();
}

long PipeFeeder::written() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}

void PipeFeeder::run() {
    for (;;) {
        std::vector<std::int16_t> block;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            block = std::move(queue_.front());
            queue_.pop_front();
        }
        const char* bytes = reinterpret_cast<const char*>(block.data());
        std::size_t left = block.size() * sizeof(std::int16_t);
        while (left > 0) {
            const ssize_t n = ::write(fd_, bytes, left);
            if (n < 0) {
                if (errno == EINTR) continue;
                return;
            }
            bytes += n;
            left -= std::size_t(n);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        ++written_;
    }
}

}  // namespace sorae::soak
