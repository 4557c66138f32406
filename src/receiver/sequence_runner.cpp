#include "receiver/sequence_runner.h"

namespace sorae {

namespace {

std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace

SequenceRunner::SequenceRunner(SerialLink& link, MonotonicClock clock)
    : link_(link), clock_(std::move(clock))
{
}

SequenceRunner::Time SequenceRunner::sendTimeLimit(std::size_t bytes)
{
    return std::chrono::milliseconds(200) * static_cast<long long>(bytes) +
           std::chrono::seconds(10);
}

void SequenceRunner::enqueue(JobBuilder job)
{
    pending_.push_back(std::move(job));
}

void SequenceRunner::abortAll()
{
    pending_.clear();
    current_.clear();
    running_ = false;
    if (link_.isOpen()) {
        link_.discardOutput();
        link_.closePort();
    }
}

void SequenceRunner::report(RunnerEvent::Kind kind, std::string detail)
{
    if (sink_)
        sink_(RunnerEvent{kind, std::move(detail)});
}

bool SequenceRunner::startNextJob()
{
    while (!pending_.empty()) {
        JobBuilder job = std::move(pending_.front());
        pending_.pop_front();
        current_ = job(link_.isOpen());
        if (current_.empty())
            continue;
        stepIndex_ = 0;
        skipping_ = false;
        stepStarted_ = false;
        byteIndex_ = 0;
        running_ = true;
        return true;
    }
    running_ = false;
    return false;
}

void SequenceRunner::nextStep()
{
    ++stepIndex_;
    stepStarted_ = false;
    byteIndex_ = 0;
}

std::optional<SequenceRunner::Time> SequenceRunner::runSend(const SequenceStep& step)
{
    const Time now = clock_();
    if (!stepStarted_) {
        stepStarted_ = true;
        stepDeadline_ = now + sendTimeLimit(step.text.size());
    }
    while (byteIndex_ < step.text.size()) {
        if (link_.queuedBytes() >= kQueueLimit) {
            if (now < stepDeadline_)
                return now + kPollInterval;
            link_.discardOutput();
            report(RunnerEvent::Kind::SendTimedOut, withoutLineEnd(step.text));
            skipping_ = true;
            return std::nullopt;
        }
        if (!link_.writeByte(step.text[byteIndex_])) {
            report(RunnerEvent::Kind::WriteFailed, withoutLineEnd(step.text));
            skipping_ = true;
            return std::nullopt;
        }
        ++byteIndex_;
    }
    return std::nullopt;
}

std::optional<SequenceRunner::Time> SequenceRunner::waitUntilDrained()
{
    const std::size_t queued = link_.queuedBytes();
    if (queued == 0)
        return std::nullopt;
    const Time now = clock_();
    if (!stepStarted_) {
        stepStarted_ = true;
        stepDeadline_ = now + sendTimeLimit(queued);
    }
    if (now < stepDeadline_)
        return now + kPollInterval;
    link_.discardOutput();
    report(RunnerEvent::Kind::SendTimedOut, {});
    return std::nullopt;
}

std::optional<SequenceRunner::Time> SequenceRunner::runSetBaud(const SequenceStep& step)
{
    // Bytes still queued would leave at the new speed: send them first.
    if (link_.isOpen()) {
        if (auto wake = waitUntilDrained())
            return wake;
    }
    if (!link_.setBaud(step.value))
        report(RunnerEvent::Kind::BaudFailed, std::to_string(step.value));
    return std::nullopt;
}

std::optional<SequenceRunner::Time> SequenceRunner::runClose()
{
    // What is still queued would be lost by closing, so let it drain first,
    // within the same limit as a command of that length.
    if (link_.isOpen()) {
        if (auto wake = waitUntilDrained())
            return wake;
        link_.closePort();
    }
    skipping_ = false;
    return std::nullopt;
}

std::optional<SequenceRunner::Time> SequenceRunner::advance()
{
    for (;;) {
        if (!running_ || stepIndex_ >= current_.size()) {
            if (!startNextJob())
                return std::nullopt;
        }
        const SequenceStep& step = current_[stepIndex_];
        std::optional<Time> wake;
        switch (step.kind) {
        case SequenceStep::Kind::Open: {
            const auto model = receiverModelFromIndex(step.value);
            skipping_ = !model || !link_.openPort(step.text, lineSettingsFor(*model));
            if (skipping_)
                report(RunnerEvent::Kind::OpenFailed, step.text);
            break;
        }
        case SequenceStep::Kind::Send:
            if (!skipping_)
                wake = runSend(step);
            break;
        case SequenceStep::Kind::Wait:
            if (!skipping_) {
                const Time now = clock_();
                if (!stepStarted_) {
                    stepStarted_ = true;
                    stepDeadline_ = now + std::chrono::milliseconds(step.value);
                }
                if (now < stepDeadline_)
                    wake = stepDeadline_;
            }
            break;
        case SequenceStep::Kind::SetBaud:
            if (!skipping_)
                wake = runSetBaud(step);
            break;
        case SequenceStep::Kind::Close:
            wake = runClose();
            break;
        }
        if (wake)
            return wake;
        nextStep();
    }
}

}  // namespace sorae
