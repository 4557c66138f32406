#include "recording/block_stage.h"

#include <algorithm>

namespace sorae {

BlockStage::BlockStage(std::size_t blockSize, int depth, Producer produce)
    : produce_(std::move(produce)),
      slots_(std::size_t(std::max(depth, 2)), std::vector<double>(blockSize, 0.0)) {
    thread_ = std::thread([this] { run(); });
}

BlockStage::~BlockStage() { stop(); }

void BlockStage::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BlockStage::run() {
    const int slots = int(slots_.size());
    int tail = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || filled_ < slots; });
            if (stopping_) break;
        }
        // Only this thread touches the slot at tail until it counts as filled.
        if (!produce_(slots_[std::size_t(tail)].data())) break;
        std::lock_guard lock(mutex_);
        tail = (tail + 1) % slots;
        ++filled_;
        changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

const double* BlockStage::next() {
    std::unique_lock lock(mutex_);
    if (holding_) {
        head_ = (head_ + 1) % int(slots_.size());
        --filled_;
        holding_ = false;
        changed_.notify_all();
    }
    changed_.wait(lock, [&] { return stopping_ || filled_ > 0 || finished_; });
    if (stopping_ || filled_ == 0) return nullptr;
    holding_ = true;
    return slots_[std::size_t(head_)].data();
}

}  // namespace sorae
