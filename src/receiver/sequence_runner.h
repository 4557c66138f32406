// Plays receiver command sequences on a SerialLink, one job at a time and
// in the order they were asked for, so that the bytes of two jobs never mix.
// It sleeps nowhere: the owner calls advance() and is told when to call
// again (a timer on the GUI thread in the program). Time comes from the
// clock handed in, read afresh before each timed step, so a wait counts from
// the moment the bytes before it were written.
//
// A job is built only when it starts, from the state of the port at that
// moment, so "power on unless already on" is decided after everything asked
// for before it has run.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "receiver/command_sequence.h"
#include "receiver/serial_link.h"

namespace sorae {

struct RunnerEvent {
    enum class Kind {
        OpenFailed,     // the port could not be opened; the sequence is dropped
        SendTimedOut,   // the output queue stayed full; the command was dropped
        WriteFailed,    // the port refused a byte (gone away)
        BaudFailed,     // the port refused a speed change
    };
    Kind kind;
    std::string detail;  // port name or command text (without CR LF)
};

class SequenceRunner {
public:
    using Time = std::chrono::microseconds;  // any monotonic origin
    using JobBuilder = std::function<CommandSequence(bool portOpen)>;
    using EventSink = std::function<void(const RunnerEvent&)>;
    using MonotonicClock = std::function<Time()>;

    // A byte goes out while fewer than this many bytes are queued.
    static constexpr std::size_t kQueueLimit = 259;
    // How often a full queue is looked at again.
    static constexpr Time kPollInterval = std::chrono::milliseconds(10);

    SequenceRunner(SerialLink& link, MonotonicClock clock);

    void setEventSink(EventSink sink) { sink_ = std::move(sink); }

    void enqueue(JobBuilder job);
    // Forgets the jobs that have not started yet.
    void dropPending() { pending_.clear(); }
    // Stops at once: pending jobs are forgotten, the running one is cut off,
    // queued output is thrown away and the port closed.
    void abortAll();

    bool busy() const { return running_ || !pending_.empty(); }

    // Does all the work that is due now. Returns the clock time at which it
    // wants to be called again, or nothing once every job is done.
    std::optional<Time> advance();

    // Longest a command may wait for room in the output queue: 200 ms a
    // byte plus 10 s, the port's write time-out.
    static Time sendTimeLimit(std::size_t bytes);

private:
    bool startNextJob();
    void nextStep();
    void report(RunnerEvent::Kind kind, std::string detail);
    // Returns a wake-up time when the step must wait, nothing when done.
    std::optional<Time> runSend(const SequenceStep& step);
    std::optional<Time> runSetBaud(const SequenceStep& step);
    std::optional<Time> runClose();
    // Waits (within a command's time limit) until nothing is queued for
    // output; on running out of time throws the queue away and reports it.
    std::optional<Time> waitUntilDrained();

    SerialLink& link_;
    MonotonicClock clock_;
    EventSink sink_;
    std::deque<JobBuilder> pending_;
    CommandSequence current_;
    std::size_t stepIndex_ = 0;
    bool running_ = false;
    // A failed open or a dropped command skips the rest of that sequence
    // up to the next opening; closings still happen.
    bool skipping_ = false;
    // State of the step in progress.
    bool stepStarted_ = false;
    std::size_t byteIndex_ = 0;
    Time stepDeadline_{};
};

}  // namespace sorae
