// The reception scheduler through whole passes, driven by a fake clock.
#include "orbit/reception_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace sorae;

namespace {

DayTime at(int h, int m, int s, int day = 24)
{
    return EncodeDayTime(2019, 1, day, h, m, s);
}

struct FakeHost : SchedulerHost {
    DayTime now = at(10, 0, 0);
    double millisecondsIntoSecond = 0.0;
    bool valid = false;
    PassTable table{};
    bool autoOn = true, manualOn = false, orbitOn = false, autoContOn = true;
    int type = 2;
    bool active = false, sync = true, busy = false, fileExists = true, answerYes = true;
    PassInfo nextTable0;  // what a successful computation puts into slot 0

    std::vector<std::string> log;
    std::vector<std::string> clockTexts;
    int computeCalls = 0;

    DayTime stationNow() override { return DayTime{now.days + millisecondsIntoSecond / 86400000.0}; }
    bool passTableValid() override { return valid; }
    const PassTable& passTable() override { return table; }
    bool autoReceptionOn() override { return autoOn; }
    bool manualReceptionOn() override { return manualOn; }
    bool orbitViewOn() override { return orbitOn; }
    bool autoCont() override { return autoContOn; }
    int radioType() override { return type; }
    bool receptionActive() override { return active; }
    void setReceptionActive(bool a) override
    {
        active = a;
        log.push_back(a ? "active" : "inactive");
    }
    bool syncConfirmed() override { return sync; }
    bool picturesBusy() override { return busy; }
    void setCurrentPass(const PassInfo& s0, const PassInfo&, int direction) override
    {
        log.push_back("current " + s0.satellite + " " + std::to_string(direction));
    }
    bool elementFileExists() override { return fileExists; }
    bool askDownloadMissingElements() override
    {
        log.push_back("ask");
        return answerYes;
    }
    void downloadElementsThenComputePasses() override { log.push_back("download"); }
    void closeMainWindow() override { log.push_back("close"); }
    bool computePasses() override
    {
        ++computeCalls;
        // Refused while a pass is received, as the computation itself does.
        if (active)
            return false;
        log.push_back("compute");
        valid = true;
        table[0] = nextTable0;
        return true;
    }
    void powerOn(int t) override { log.push_back("on " + std::to_string(t)); }
    void powerOff(int t) override { log.push_back("off " + std::to_string(t)); }
    void resetForNewPass() override { log.push_back("reset"); }
    void buildPassPictures() override { log.push_back("pictures"); }
    void redrawMap(bool passMode) override { log.push_back(passMode ? "map pass" : "map"); }
    void showPassPosition(const std::string& s) override { log.push_back("position " + s); }
    void showStatus(int panel, const std::string& text) override
    {
        if (panel == 6)
            clockTexts.push_back(text);
        else
            log.push_back("status " + std::to_string(panel) + " " + text);
    }

    void secondsPass(ReceptionScheduler& s, int count)
    {
        for (int i = 0; i < count; ++i) {
            now.days += 1000.0 / 86400000.0;
            s.tick();
        }
    }
};

PassInfo pass(const char* sat, DayTime start, DayTime end, int direction)
{
    PassInfo p;
    p.satellite = sat;
    p.start = start;
    p.end = end;
    p.direction = static_cast<unsigned char>(direction);
    return p;
}

// A host past its start-up, with NOAA-19 from 10:21:05 to 10:35:40 in slot 0.
void prepare(FakeHost& host, ReceptionScheduler& s)
{
    host.fileExists = true;
    host.nextTable0 = pass("NOAA-19", at(10, 21, 5), at(10, 35, 40), 0);
    host.now = at(10, 20, 0);
    s.tick();
    host.secondsPass(s, 1);  // start-up checks: the first computation
    ASSERT_EQ(s.startupCountdown(), -2);
    host.nextTable0 = pass("NOAA-18", at(12, 0, 0), at(12, 14, 0), 1);
    host.log.clear();
}

}  // namespace

TEST(ReceptionScheduler, OneRoundPerSecondAndStartupChecks)
{
    FakeHost host;
    ReceptionScheduler s(host);
    for (double ms : {0.0, 300.0, 700.0})
        host.millisecondsIntoSecond = ms, s.tick();
    EXPECT_EQ(host.clockTexts, std::vector<std::string>{"10:00:00"});
    EXPECT_EQ(s.startupCountdown(), 1);
    EXPECT_TRUE(host.log.empty());
    host.millisecondsIntoSecond = 0.0;
    host.secondsPass(s, 1);
    EXPECT_EQ(s.startupCountdown(), -2);
    EXPECT_EQ(host.log, std::vector<std::string>{"compute"});
    EXPECT_EQ(host.clockTexts.back(), "10:00:01");

    FakeHost missing;
    missing.fileExists = false;
    ReceptionScheduler s2(missing);
    s2.tick();
    missing.secondsPass(s2, 1);
    EXPECT_EQ(missing.log, (std::vector<std::string>{"ask", "download"}));

    FakeHost refused;
    refused.fileExists = false;
    refused.answerYes = false;
    ReceptionScheduler s3(refused);
    s3.tick();
    refused.secondsPass(s3, 1);
    EXPECT_EQ(refused.log, (std::vector<std::string>{"ask", "close"}));
}

TEST(ReceptionScheduler, AutomaticReceptionOfAWholePass)
{
    FakeHost host;
    ReceptionScheduler s(host);
    prepare(host, s);
    host.now = at(10, 21, 3);
    s.tick();
    host.secondsPass(s, 1);  // 10:21:04: waiting
    EXPECT_TRUE(host.log.empty());
    host.secondsPass(s, 1);  // 10:21:05: start
    // Without the orbit view the status bar follows the pass.
    EXPECT_EQ(host.log,
              (std::vector<std::string>{"on 2", "current NOAA-19 0", "reset", "active", "position NOAA-19"}));
    EXPECT_TRUE(s.receiverSwitchedOn());
    host.log.clear();

    host.now = at(10, 35, 40);
    s.tick();
    host.secondsPass(s, 1);  // 10:35:41: still received
    EXPECT_TRUE(host.active);
    EXPECT_EQ(host.computeCalls, 1);
    EXPECT_EQ(host.log, (std::vector<std::string>{"position NOAA-19", "position NOAA-19"}));
    host.log.clear();
    host.secondsPass(s, 1);  // 10:35:42: over
    EXPECT_EQ(host.log, (std::vector<std::string>{"off 2", "inactive", "status 1 受信画像処理中...", "pictures",
                                                  "compute"}));
    EXPECT_FALSE(s.receiverSwitchedOn());
    host.log.clear();
    host.secondsPass(s, 5);  // waiting for the next pass
    EXPECT_TRUE(host.log.empty());
}

TEST(ReceptionScheduler, NoPicturesWithoutSyncAndNoReceiverWithoutAutoCont)
{
    FakeHost host;
    ReceptionScheduler s(host);
    prepare(host, s);
    host.sync = false;
    host.autoContOn = false;
    host.now = at(10, 21, 5);
    s.tick();
    host.now = at(10, 40, 0);
    s.tick();
    EXPECT_EQ(host.log, (std::vector<std::string>{"current NOAA-19 0", "reset", "active", "position NOAA-19", "inactive",
                                                  "compute"}));
}

TEST(ReceptionScheduler, SwitchedOnMidPassAndMapModes)
{
    FakeHost host;
    ReceptionScheduler s(host);
    prepare(host, s);
    host.autoOn = false;
    host.orbitOn = true;
    host.now = at(10, 21, 0);
    s.tick();  // waiting: plain map
    EXPECT_EQ(host.log, std::vector<std::string>{"map"});
    host.log.clear();
    host.now = at(10, 30, 0);
    s.tick();  // in progress, nothing received: map and the current-pass line
    EXPECT_EQ(host.log, (std::vector<std::string>{"map", "position NOAA-19"}));
    EXPECT_FALSE(s.mapPassMode());
    host.log.clear();
    host.autoOn = true;
    host.secondsPass(s, 1);  // the rest of the pass is received
    EXPECT_EQ(host.log, (std::vector<std::string>{"on 2", "current NOAA-19 0", "reset", "active", "map pass"}));
    EXPECT_TRUE(s.mapPassMode());
}

TEST(ReceptionScheduler, SwitchedOffMidPass)
{
    FakeHost host;
    ReceptionScheduler s(host);
    prepare(host, s);
    host.now = at(10, 25, 0);
    s.tick();
    host.log.clear();
    host.autoOn = false;
    s.autoReceptionReleased();
    EXPECT_EQ(host.log, (std::vector<std::string>{"off 2", "inactive", "pictures"}));
    EXPECT_FALSE(s.receiverSwitchedOn());
    host.log.clear();
    host.secondsPass(s, 2);  // the rest of the pass: only the current-pass line
    EXPECT_EQ(host.log, (std::vector<std::string>{"position NOAA-19", "position NOAA-19"}));
    host.log.clear();
    host.now = at(10, 35, 42);
    s.tick();  // after its end the table is recomputed
    EXPECT_EQ(host.log, std::vector<std::string>{"compute"});
}

TEST(ReceptionScheduler, ManualReceptionHoldsTheRecomputation)
{
    FakeHost host;
    ReceptionScheduler s(host);
    prepare(host, s);
    host.autoOn = false;
    host.manualOn = true;
    host.active = true;  // a manual reception is running
    host.now = at(10, 36, 0);
    s.tick();
    host.secondsPass(s, 3);
    EXPECT_EQ(host.computeCalls, 1 + 4);  // tried every second, refused
    EXPECT_TRUE(host.log.empty());
    host.active = false;
    host.manualOn = false;
    host.secondsPass(s, 1);
    EXPECT_EQ(host.log, std::vector<std::string>{"compute"});
    EXPECT_EQ(host.table[0].satellite, "NOAA-18");

    // Pictures being built hold it as well.
    host.busy = true;
    host.table[0] = pass("NOAA-19", at(10, 21, 5), at(10, 35, 40), 0);
    const int calls = host.computeCalls;
    host.secondsPass(s, 2);
    EXPECT_EQ(host.computeCalls, calls);
}

TEST(ReceptionScheduler, ATableWithoutComingPassIsRecomputedOncePerMinute)
{
    FakeHost host;
    ReceptionScheduler s(host);
    prepare(host, s);
    host.nextTable0 = PassInfo{};  // no pass in the coming day
    host.now = at(10, 36, 0);
    host.secondsPass(s, 150);
    EXPECT_EQ(host.computeCalls, 1 + 3);  // at 10:36:01, 10:37:01, 10:38:01
}

TEST(ReceptionScheduler, StationTimeIsNineHoursAheadOfUt)
{
    // 2019-01-25 00:00:00 UT is 1548374400 seconds after 1970-01-01.
    EXPECT_EQ(FormatDateTime(StationTimeFromUnixSeconds(1548374400)), "2019/01/25 09:00:00");
    EXPECT_EQ(FormatDateTime(StationTimeFromUnixSeconds(1548374400 + 15 * 3600 + 59)), "2019/01/26 00:00:59");
    EXPECT_EQ(StationTimeFromUtc(UtcInstant{2010, 10, 14, 15, 30, 0}), EncodeDayTime(2010, 10, 15, 0, 30, 0));
}
