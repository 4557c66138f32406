// The scheduler in the real main window: a pass of the real element file,
// placed a moment ahead by the program clock, is received from its start
// through one second after its end, with the receiver on a pseudo-terminal
// switched on and off; the computer's zone does not move the passes.
#include "test_schedule_support.h"

#include <QSignalSpy>
#include <QToolButton>
#include <cstdlib>
#include <ctime>

#include "app/map_controller.h"
#include "app/receiver_wiring.h"
#include "app/schedule_wiring.h"
#include "app/scheduler_controller.h"
#include "app/status_panels.h"
#include "orbit/qt/element_downloader.h"
#include "receiver/command_sequence.h"
#include "receiver/qt/receiver_controller.h"

using namespace sorae;
using namespace sorae::testing;

namespace {

constexpr int kComputeTimeoutMs = 120000;

UtcInstant fixtureMorning() { return UtcInstant{2019, 1, 25, 0, 0, 0}; }

class ScheduleWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(dir_.isValid());
        prepareFolder(dir_);
    }
    void TearDown() override { setClockOffsetSeconds(0); }

    // A window whose clock reads `unixSeconds`, with its passes computed.
    void startWindow(std::int64_t unixSeconds) {
        setProgramClockTo(unixSeconds);
        window_ = std::make_unique<MainWindow>(windowOptions(dir_));
        reception_ = std::make_unique<FakeReception>(*window_);
        parts_ = installScheduling(*window_, *reception_);
        QSignalSpy computed(parts_.scheduler, &SchedulerController::passesComputed);
        // The first distinct second counts, the second runs the start-up checks.
        ASSERT_TRUE(computed.wait(kComputeTimeoutMs));
        ASSERT_TRUE(computed.first().first().toBool());
        ASSERT_TRUE(parts_.scheduler->passTableValid());
    }

    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FakeReception> reception_;
    ScheduleParts parts_;
};

TEST_F(ScheduleWindowTest, AutomaticPassRunsFromStartToOneSecondAfterEndWithReceiverOnAndOff) {
    const PassComputation ahead = fixturePasses(fixtureMorning());
    ASSERT_TRUE(ahead.ok);
    startWindow(unixFromStation(ahead.table[0].start) - 120);

    SchedulerController& scheduler = *parts_.scheduler;
    const PassInfo pass = scheduler.passTable()[0];
    ASSERT_FALSE(pass.satellite.empty());
    const std::int64_t start = unixFromStation(pass.start);
    const std::int64_t end = unixFromStation(pass.end);
    ASSERT_GT(end, start);
    // The elements are a day old for this clock: nothing to report.
    EXPECT_NE(window_->statusPanels().panelText(0), QString::fromUtf8(kElementsNotNewText));
    EXPECT_TRUE(window_->statusPanels().panelText(1).startsWith(QStringLiteral("次回通過: ")));

    PseudoTerminal pty;
    ASSERT_FALSE(pty.path.empty());
    AppSettings& settings = window_->settings();
    settings.autoCont = true;
    settings.type = 0;
    settings.portName = pty.path;
    window_->speedButton(1)->setChecked(true);
    EXPECT_TRUE(settings.autoScan);

    std::int64_t startedAt = 0;
    std::int64_t endedAt = 0;
    setProgramClockTo(start - 2);
    QTRY_VERIFY_WITH_TIMEOUT(reception_->resets == 1, 10000);
    startedAt = programUnixSeconds();
    EXPECT_GE(startedAt, start);
    EXPECT_LE(startedAt, start + 2);
    EXPECT_TRUE(window_->reception().receptionActive);
    EXPECT_EQ(reception_->current, pass);
    EXPECT_EQ(reception_->next, scheduler.passTable()[1]);
    EXPECT_EQ(window_->reception().currentPassDirection, pass.direction);

    // Switched on and tuned to the pass's downlink.
    ReceiverController& receiver = receiverControllerOf(*window_);
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.busy(), 10000);
    PowerOnParameters on;
    on.portName = pty.path;
    on.frequencyMHz = pass.frequencyMHz;
    on.antenna = settings.antNum;
    on.pcrVolume = settings.volPcr;
    EXPECT_EQ(pty.drain(), sentText(powerOnSequence(0, on)));
    EXPECT_TRUE(receiver.isOn());

    // The orbit view is down: the map is in its pass layout (globe inset).
    QTRY_VERIFY_WITH_TIMEOUT(parts_.map->renderer().lastDrawnMapMode(), 5000);

    // To the end of the pass: received through end + 1 s, ended after.
    setProgramClockTo(end - 1);
    QTRY_VERIFY_WITH_TIMEOUT(reception_->builds == 1, 10000);
    endedAt = programUnixSeconds();
    EXPECT_GE(endedAt, end + 2);
    EXPECT_LE(endedAt, end + 4);
    EXPECT_FALSE(window_->reception().receptionActive);
    EXPECT_EQ(reception_->resets, 1);
    QTRY_VERIFY_WITH_TIMEOUT(!receiver.busy() && !receiver.isOn(), 10000);
    EXPECT_EQ(pty.drain(), sentText(powerOffSequence(0)));

    // The table is recomputed: the pass just received is no longer next.
    QTRY_VERIFY_WITH_TIMEOUT(scheduler.passTableValid() && !(scheduler.passTable()[0] == pass), kComputeTimeoutMs);
    EXPECT_GT(unixFromStation(scheduler.passTable()[0].end), end);
}

TEST_F(ScheduleWindowTest, ReleasingAutomaticReceptionMidPassEndsItWithPictures) {
    const PassComputation ahead = fixturePasses(fixtureMorning());
    ASSERT_TRUE(ahead.ok);
    startWindow(unixFromStation(ahead.table[0].start) - 120);
    const PassInfo pass = parts_.scheduler->passTable()[0];

    setProgramClockTo(unixFromStation(pass.start) + 60);
    // Switched on in the middle of the pass: the rest is received.
    window_->speedButton(1)->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(reception_->resets == 1, 10000);
    EXPECT_TRUE(window_->reception().receptionActive);

    reception_->synced = false;
    window_->speedButton(1)->setChecked(false);
    EXPECT_FALSE(window_->reception().receptionActive);
    EXPECT_EQ(reception_->builds, 0) << "nothing synchronised, no pictures";
    EXPECT_FALSE(window_->settings().autoScan);

    // A second pass of the same kind with synchronisation builds them.
    window_->speedButton(1)->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(reception_->resets == 2, 10000);
    reception_->synced = true;
    window_->speedButton(1)->setChecked(false);
    EXPECT_EQ(reception_->builds, 1);
}

TEST_F(ScheduleWindowTest, TimerStandsInOnlyWhileNoBlocksArrive) {
    const PassComputation ahead = fixturePasses(fixtureMorning());
    startWindow(unixFromStation(ahead.table[0].start) - 600);
    SchedulerController& scheduler = *parts_.scheduler;
    const QString before = window_->statusPanels().panelText(6);

    // Blocks every 200 ms for 2.5 s: they drive the scheduler, the timer keeps out.
    std::vector<std::int16_t> silence(48000, 0);
    const int timerBefore = scheduler.timerTicks();
    for (int i = 0; i < 13; ++i) {
        window_->blockHandler().handleBlock(silence.data(), 24000);
        QTest::qWait(200);
    }
    EXPECT_EQ(scheduler.timerTicks(), timerBefore);
    EXPECT_NE(window_->statusPanels().panelText(6), before) << "the blocks moved the clock";

    // No blocks: the timer takes over within a second or two.
    QTRY_VERIFY_WITH_TIMEOUT(scheduler.timerTicks() >= timerBefore + 2, 5000);
}

TEST_F(ScheduleWindowTest, ComputerZoneDoesNotMovePasses) {
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    const std::int64_t at = unixFromStation(fixturePasses(fixtureMorning()).table[0].start) - 600;

    std::vector<PassInfo> firsts;
    std::vector<QString> clocks;
    for (const char* zone : {"America/New_York", "Asia/Tokyo"}) {
        setenv("TZ", zone, 1);
        tzset();
        startWindow(at);
        firsts.push_back(parts_.scheduler->passTable()[0]);
        clocks.push_back(window_->statusPanels().panelText(6));
        window_.reset();
        reception_.reset();
    }
    if (saved) setenv("TZ", savedZone.c_str(), 1); else unsetenv("TZ");
    tzset();

    ASSERT_EQ(firsts.size(), 2u);
    EXPECT_EQ(firsts[0].start, firsts[1].start);
    EXPECT_EQ(firsts[0].satellite, firsts[1].satellite);
    // Station time is UT + 9 h in both: the clock panel reads the same hour.
    ASSERT_EQ(clocks[0].size(), 8);
    EXPECT_EQ(clocks[0].left(2), clocks[1].left(2));
    const DayTimeFields f = DecodeDayTime(StationTimeFromUnixSeconds(at));
    EXPECT_EQ(clocks[0].left(2).toInt(), f.hour);
}

}  // namespace
