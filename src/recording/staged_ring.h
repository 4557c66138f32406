// A ring of slots that a row of steps works through, each step on a thread
// of its own: the first step fills a free slot (reading a file, say), each
// later step works on the slots the step before has finished, and the
// consumer takes the slots the last step has finished, in order, and hands
// each back by asking for the next. Nothing is copied between steps; each
// slot belongs to exactly one step (or to the consumer) at a time, so the
// steps' results are exactly those of running them one after the other on
// one thread, only sooner.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace sorae {

template <typename Slot>
class StagedRing {
public:
    // The first step fills a slot and says whether it did (false: the input
    // has ended); the later steps work on a filled slot.
    using First = std::function<bool(Slot&)>;
    using Step = std::function<void(Slot&)>;

    StagedRing(std::vector<Slot> ring, First first, std::vector<Step> later)
        : slots_(std::move(ring)), first_(std::move(first)), later_(std::move(later)),
          done_(later_.size() + 1, 0), wake_(later_.size() + 2) {
        for (std::size_t s = 0; s < done_.size(); ++s) threads_.emplace_back([this, s] { run(s); });
    }
    ~StagedRing() { stop(); }
    StagedRing(const StagedRing&) = delete;
    StagedRing& operator=(const StagedRing&) = delete;

    // The next slot that every step has worked on, valid until the next
    // call; null once the first step has ended and every slot it filled was
    // taken, or after stop().
    Slot* next() {
        std::unique_lock lock(mutex_);
        if (holding_) {
            holding_ = false;
            wake_.front().notify_one();  // a slot is free for the first step
        }
        wake_.back().wait(lock, [&] { return stopping_ || done_.back() > taken_ || ended(taken_); });
        if (stopping_ || done_.back() <= taken_) {
            reachedEnd_ = !stopping_;
            return nullptr;
        }
        holding_ = true;
        return &slots_[std::size_t(taken_++ % long(slots_.size()))];
    }

    // Ends every step's thread and waits for them (each finishes the slot it
    // is working on). Slots filled and not taken are dropped.
    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        for (std::condition_variable& w : wake_) w.notify_all();
        for (std::thread& t : threads_)
            if (t.joinable()) t.join();
    }

    // next() returned null because the input ended, not because of stop().
    bool reachedEnd() const {
        std::lock_guard lock(mutex_);
        return reachedEnd_;
    }

private:
    bool ended(long index) const { return end_ >= 0 && index >= end_; }

    void run(std::size_t step) {
        const long size = long(slots_.size());
        for (long i = 0;; ++i) {
            {
                std::unique_lock lock(mutex_);
                wake_[step].wait(lock, [&] {
                    if (stopping_) return true;
                    if (step == 0) return i - (taken_ - (holding_ ? 1 : 0)) < size;
                    return done_[step - 1] > i || ended(i);
                });
                if (stopping_ || (step > 0 && done_[step - 1] <= i)) return;
            }
            Slot& slot = slots_[std::size_t(i % size)];
            if (step == 0) {
                if (!first_(slot)) {
                    std::lock_guard lock(mutex_);
                    end_ = i;
                    for (std::condition_variable& w : wake_) w.notify_all();
                    return;
                }
            } else {
                later_[step - 1](slot);
            }
            std::lock_guard lock(mutex_);
            done_[step] = i + 1;
            wake_[step + 1].notify_one();  // the next step, or the consumer after the last
        }
    }

    std::vector<Slot> slots_;
    First first_;
    std::vector<Step> later_;
    mutable std::mutex mutex_;
    std::vector<long> done_;  // slots finished by each step
    // What each step waits on, and last what the consumer waits on.
    std::vector<std::condition_variable> wake_;
    long end_ = -1;           // slots the first step filled before the input ended
    long taken_ = 0;          // slots handed to the consumer
    bool holding_ = false;    // the consumer still holds the last one
    bool stopping_ = false;
    bool reachedEnd_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace sorae
