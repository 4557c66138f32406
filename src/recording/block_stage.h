// One stage of a file decoding pipeline on a thread of its own: it fills
// fixed-size blocks of samples with `produce` (which usually takes the
// previous stage's next block and works on it) a few blocks ahead of the
// consumer. The blocks come out in the order they were made, so a chain of
// stages gives exactly the results of running their work one after the
// other on one thread, only sooner.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sorae {

class BlockStage {
public:
    // Fills one block; false when there is nothing more to make.
    using Producer = std::function<bool(double* block)>;

    BlockStage(std::size_t blockSize, int depth, Producer produce);
    ~BlockStage();
    BlockStage(const BlockStage&) = delete;
    BlockStage& operator=(const BlockStage&) = delete;

    // The next block, valid until the next call; null once the producer
    // has given its last one, or after stop().
    const double* next();

    // Ends the thread and waits for it. A producer waiting for the stage
    // before must be woken by stopping that stage first.
    void stop();

private:
    void run();

    Producer produce_;
    std::vector<std::vector<double>> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int head_ = 0;
    int filled_ = 0;
    bool holding_ = false;
    bool finished_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace sorae
