// The runner against a recording link and a made-up clock: order, waits,
// queue flow control, time-outs and the serialisation of jobs.
#include <gtest/gtest.h>

#include "fake_serial_link.h"
#include "receiver/sequence_runner.h"

namespace sorae {
namespace {

using namespace std::chrono_literals;
using Time = SequenceRunner::Time;
using testing::FakeSerialLink;

class SequenceRunnerTest : public ::testing::Test {
protected:
    SequenceRunnerTest()
    {
        runner.setEventSink([this](const RunnerEvent& e) { events.push_back(e); });
    }

    // Lets the runner work with the clock at t.
    std::optional<Time> at(Time t)
    {
        clock = t;
        return runner.advance();
    }

    void enqueue(CommandSequence steps)
    {
        runner.enqueue([steps](bool) { return steps; });
    }

    // Runs to the end, jumping the clock to each wake-up; returns the time
    // at which the runner went idle.
    Time runToEnd(Time start = 0us)
    {
        Time now = start;
        while (auto wake = at(now)) {
            EXPECT_GE(*wake, now);
            now = *wake;
        }
        return now;
    }

    FakeSerialLink link;
    Time clock{};
    SequenceRunner runner{link, [this] { return clock; }};
    std::vector<RunnerEvent> events;
};

TEST_F(SequenceRunnerTest, WaitsHoldBackTheNextCommandUntilDue)
{
    enqueue({SequenceStep::open("p", ReceiverModel::Ar5000), SequenceStep::send("A\r\n"),
             SequenceStep::wait(500), SequenceStep::send("B\r\n"), SequenceStep::wait(100),
             SequenceStep::send("C\r\n")});
    auto wake = at(1000us);
    ASSERT_TRUE(wake);
    EXPECT_EQ(*wake, 1000us + 500ms);
    EXPECT_EQ(link.written(), "A\r\n");
    // Called early (a timer that fires before its time): nothing more goes.
    EXPECT_EQ(at(1000us + 499ms), 1000us + 500ms);
    EXPECT_EQ(link.written(), "A\r\n");
    // The second wait counts from when it starts, not from the first one.
    EXPECT_EQ(at(1000us + 520ms), 1000us + 620ms);
    EXPECT_EQ(link.written(), "A\r\nB\r\n");
    EXPECT_FALSE(at(1000us + 620ms));
    EXPECT_EQ(link.written(), "A\r\nB\r\nC\r\n");
    EXPECT_FALSE(runner.busy());
    EXPECT_TRUE(link.open);
    EXPECT_TRUE(events.empty());
}

TEST_F(SequenceRunnerTest, PcrSpeedChangesBetweenWakeUpAndSetUp)
{
    enqueue(powerOnSequence(1, PowerOnParameters{"p", 137.1, 0, 5}));
    const Time end = runToEnd();
    EXPECT_EQ(end, 500ms);
    const std::string text = link.written();
    const std::size_t switchAt = std::string(" \r\nH101\r\nG105\r\nG300\r\nH1?\r\n").size();
    ASSERT_GT(link.writes.size(), switchAt);
    for (std::size_t i = 0; i < link.writes.size(); ++i)
        ASSERT_EQ(link.writes[i].baud, i < switchAt ? 9600 : 38400) << "byte " << i;
    EXPECT_NE(text.find("J4005\r\n"), std::string::npos);
}

TEST_F(SequenceRunnerTest, ByteGoesOutBelow259QueuedAndWaitsFrom259)
{
    link.open = true;
    link.queued = 258;
    enqueue({SequenceStep::send("QP")});
    // 258 queued: the first byte goes, which fills the queue to 259.
    link.queueGrows = true;
    auto wake = at(0us);
    EXPECT_EQ(link.written(), "Q");
    ASSERT_TRUE(wake);
    EXPECT_EQ(*wake, SequenceRunner::kPollInterval);
    // The line drains one byte: the next one follows.
    link.queued = 258;
    EXPECT_FALSE(at(*wake));
    EXPECT_EQ(link.written(), "QP");
    EXPECT_TRUE(events.empty());
}

TEST_F(SequenceRunnerTest, FullQueueGivesUpAfterWriteTimeOutAndClosesAnyway)
{
    link.open = true;
    link.queued = 400;  // flow control holds the line
    enqueue(powerOffSequence(0));  // "QP\r\n", close
    enqueue({SequenceStep::open("p", ReceiverModel::Ar5000), SequenceStep::send("X\r\n")});
    const Time limit = SequenceRunner::sendTimeLimit(4);
    EXPECT_EQ(limit, 10800ms);
    Time now = 0us;
    auto wake = at(now);
    while (wake && now < limit - SequenceRunner::kPollInterval) {
        now = *wake;
        wake = at(now);
    }
    EXPECT_TRUE(link.written().empty());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(link.open);
    const Time end = runToEnd(now);
    EXPECT_GE(end, limit);
    EXPECT_LT(end, limit + 2 * SequenceRunner::kPollInterval);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, RunnerEvent::Kind::SendTimedOut);
    EXPECT_EQ(events[0].detail, "QP");
    EXPECT_GE(link.discards, 1);
    EXPECT_EQ(link.closeCalls, 1);
    // The next job runs normally on the reopened port.
    EXPECT_EQ(link.written(), "X\r\n");
}

TEST_F(SequenceRunnerTest, FailedOpenDropsTheSequenceWithoutWaiting)
{
    link.failOpen = true;
    enqueue(powerOnSequence(2, PowerOnParameters{"/dev/none", 137.1, 0, 0}));
    EXPECT_FALSE(at(0us));  // no 100 ms wait for nothing
    EXPECT_TRUE(link.writes.empty());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, RunnerEvent::Kind::OpenFailed);
    EXPECT_EQ(events[0].detail, "/dev/none");
    EXPECT_FALSE(link.open);
}

TEST_F(SequenceRunnerTest, JobsRunOneAfterAnotherAndSeeThePortAsTheEarlierOnesLeftIt)
{
    std::vector<bool> seenOpen;
    auto guardedOn = [&](bool open) {
        seenOpen.push_back(open);
        return open ? CommandSequence{}
                    : powerOnSequence(0, PowerOnParameters{"p", 137.1, 0, 0});
    };
    runner.enqueue(guardedOn);
    EXPECT_TRUE(at(0us));  // in the 500 ms wait after X
    // A request made now must not slip its bytes into the running job.
    runner.enqueue([](bool open) {
        return open ? CommandSequence{SequenceStep::send("AN3\r\n")} : CommandSequence{};
    });
    runner.enqueue(guardedOn);  // a second power-on
    runner.enqueue([](bool open) { return open ? powerOffSequence(0) : CommandSequence{}; });
    EXPECT_EQ(link.written(), "X\r\n");
    runToEnd(0us);
    EXPECT_EQ(link.written(),
              "X\r\nRF137.1\r\nMD0\r\nBW4\r\nEN4\r\nLP3\r\nHP0\r\nAN3\r\nQP\r\n");
    EXPECT_EQ(seenOpen, (std::vector<bool>{false, true}));
    EXPECT_EQ(link.openCalls, 1);
    EXPECT_FALSE(link.open);
}

TEST_F(SequenceRunnerTest, CloseLetsQueuedBytesDrainFirst)
{
    link.open = true;
    link.queued = 3;
    enqueue({SequenceStep::close()});
    auto wake = at(0us);
    ASSERT_TRUE(wake);
    EXPECT_TRUE(link.open);
    link.queued = 0;
    EXPECT_FALSE(at(*wake));
    EXPECT_FALSE(link.open);
    EXPECT_EQ(link.discards, 0);
}

TEST_F(SequenceRunnerTest, SpeedChangeWaitsUntilTheQueuedBytesHaveLeft)
{
    link.queueGrows = true;
    enqueue({SequenceStep::open("p", ReceiverModel::IcPcr), SequenceStep::send("H101\r\n"),
             SequenceStep::setBaud(kPcrFastBaud), SequenceStep::send("G4?\r\n")});
    auto wake = at(0us);
    ASSERT_TRUE(wake);
    EXPECT_EQ(link.written(), "H101\r\n");
    EXPECT_EQ(link.baud, 9600);
    EXPECT_EQ(at(*wake), *wake + SequenceRunner::kPollInterval);
    EXPECT_EQ(link.baud, 9600);
    link.queued = 0;
    EXPECT_FALSE(at(*wake + SequenceRunner::kPollInterval));
    EXPECT_EQ(link.baud, kPcrFastBaud);
    EXPECT_EQ(link.writes.back().baud, kPcrFastBaud);
    EXPECT_TRUE(events.empty());
}

TEST_F(SequenceRunnerTest, AbortAllClosesAndForgets)
{
    enqueue(powerOnSequence(0, PowerOnParameters{"p", 137.1, 0, 0}));
    enqueue(powerOffSequence(0));
    ASSERT_TRUE(at(0us));
    runner.abortAll();
    EXPECT_FALSE(runner.busy());
    EXPECT_FALSE(link.open);
    EXPECT_FALSE(at(1s));
    EXPECT_EQ(link.written(), "X\r\n");
}

}  // namespace
}  // namespace sorae
