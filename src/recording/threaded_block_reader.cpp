#include "recording/threaded_block_reader.h"

#include <algorithm>

namespace sorae {

ThreadedBlockReader::ThreadedBlockReader(RecordingReader& reader, int depth)
    : reader_(reader),
      slots_(std::size_t(std::max(depth, 2)),
             std::vector<std::int16_t>(std::size_t(reader.framesPerBlock()) * 2)),
      slotFrames_(slots_.size(), 0) {
    thread_ = std::thread([this] { readLoop(); });
}

ThreadedBlockReader::~ThreadedBlockReader() { stop(); }

void ThreadedBlockReader::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ThreadedBlockReader::readLoop() {
    const int slots = int(slots_.size());
    int tail = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || filled_ < slots; });
            if (stopping_) break;
        }
        // The slot at tail is neither held nor waiting: only this thread
        // touches it until it is counted as filled.
        const bool got = reader_.nextBlock(slots_[std::size_t(tail)].data());
        std::lock_guard lock(mutex_);
        if (!got) {
            error_ = reader_.error();
            message_ = reader_.errorMessage();
            break;
        }
        slotFrames_[std::size_t(tail)] = reader_.lastBlockFrames();
        tail = (tail + 1) % slots;
        ++filled_;
        changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

const std::int16_t* ThreadedBlockReader::next() {
    std::unique_lock lock(mutex_);
    if (holding_) {
        head_ = (head_ + 1) % int(slots_.size());
        --filled_;
        holding_ = false;
        changed_.notify_all();
    }
    changed_.wait(lock, [&] { return stopping_ || filled_ > 0 || finished_; });
    if (stopping_ || filled_ == 0) {
        reachedEnd_ = !stopping_;
        currentFrames_ = 0;
        return nullptr;
    }
    holding_ = true;
    currentFrames_ = slotFrames_[std::size_t(head_)];
    return slots_[std::size_t(head_)].data();
}

RecordingError ThreadedBlockReader::error() const {
    std::lock_guard lock(mutex_);
    return reachedEnd_ ? error_ : RecordingError::None;
}

std::string ThreadedBlockReader::errorMessage() const {
    std::lock_guard lock(mutex_);
    return reachedEnd_ ? message_ : std::string();
}

}  // namespace sorae
