// Reads the blocks of an opened recording on a thread of its own, a few
// blocks ahead of the decoding, so reading and resampling a file overlap with
// the demodulation and line decoding of the blocks before. The blocks come out
// in order, exactly as RecordingReader::nextBlock gives them.
//
// The reader belongs to the reading thread from construction until stop()
// (or the destructor) returns: do not touch it in between.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/recording_reader.h"

namespace sorae {

class ThreadedBlockReader {
public:
    static constexpr int kDefaultDepth = 4;

    // `depth` blocks are kept: the one being decoded and those read ahead.
    explicit ThreadedBlockReader(RecordingReader& reader, int depth = kDefaultDepth);
    ~ThreadedBlockReader();
    ThreadedBlockReader(const ThreadedBlockReader&) = delete;
    ThreadedBlockReader& operator=(const ThreadedBlockReader&) = delete;

    // The next block (2 * framesPerBlock int16 values), valid until the next
    // call; null once the recording is exhausted, a read error ended it, or
    // stop() was called. Then error() tells which.
    const std::int16_t* next();
    int lastBlockFrames() const { return currentFrames_; }

    // Ends the reading thread and waits for it (at most the block it is
    // reading). Blocks read ahead and not taken are dropped.
    void stop();

    // The reader's error once next() has returned null at the end of what
    // was read (also after a later stop()); None for a recording read to
    // its end, or stopped before its end was reached.
    RecordingError error() const;
    std::string errorMessage() const;

private:
    void readLoop();

    RecordingReader& reader_;
    std::vector<std::vector<std::int16_t>> slots_;
    std::vector<int> slotFrames_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int head_ = 0;          // the oldest slot not yet released by the consumer
    int filled_ = 0;        // slots read and not released (the held one counts)
    bool holding_ = false;  // the consumer holds the slot at head_
    bool finished_ = false; // the reading thread has ended
    bool stopping_ = false;
    bool reachedEnd_ = false; // next() found every block taken and the thread ended
    RecordingError error_ = RecordingError::None;
    std::string message_;
    int currentFrames_ = 0;
    std::thread thread_;
};

}  // namespace sorae
