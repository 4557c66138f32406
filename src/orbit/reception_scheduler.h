// The reception scheduler: once per second of station time it compares the
// clock with the next pass of the table, starts and ends automatic
// reception, has the pictures built and the passes recomputed, and runs the
// start-up check of the element file. Everything it reads or does goes
// through SchedulerHost, so it runs against a fake clock in tests.
#pragma once

#include "orbit/day_time.h"
#include "orbit/pass_table.h"

#include <cstdint>
#include <string>

namespace sorae {

// Station time is UT + 9 hours whatever zone the computer is set to.
DayTime StationTimeFromUnixSeconds(std::int64_t secondsSinceEpoch);
DayTime StationTimeFromUtc(const UtcInstant& utc);

class SchedulerHost {
public:
    virtual ~SchedulerHost() = default;

    // Station time now (UT + 9 h).
    virtual DayTime stationNow() = 0;

    virtual bool passTableValid() = 0;
    virtual const PassTable& passTable() = 0;
    virtual bool autoReceptionOn() = 0;    // SpeedButton1 down
    virtual bool manualReceptionOn() = 0;  // SpeedButton2 down
    virtual bool orbitViewOn() = 0;        // SpeedButton6 down
    virtual bool autoCont() = 0;           // Radio/AutoCont
    virtual int radioType() = 0;           // Radio/Type
    virtual bool receptionActive() = 0;
    virtual void setReceptionActive(bool active) = 0;
    virtual bool syncConfirmed() = 0;      // FirstSyncLine is not -999
    virtual bool picturesBusy() = 0;
    virtual void setCurrentPass(const PassInfo& slot0, const PassInfo& slot1, int direction) = 0;

    virtual bool elementFileExists() = 0;
    // Beep and ask "衛星軌道要素データがありません。ダウンロードしますか？"; true for Yes.
    virtual bool askDownloadMissingElements() = 0;
    // Fetches the element file and runs the pass computation when it ends.
    virtual void downloadElementsThenComputePasses() = 0;
    virtual void closeMainWindow() = 0;
    // Starts a pass computation; false when it was refused (busy, or a pass
    // is being received).
    virtual bool computePasses() = 0;
    virtual void powerOn(int radioType) = 0;
    virtual void powerOff(int radioType) = 0;
    virtual void resetForNewPass() = 0;
    virtual void buildPassPictures() = 0;
    virtual void redrawMap(bool mapPassMode) = 0;
    virtual void showPassPosition(const std::string& satellite) = 0;
    virtual void showStatus(int panel, const std::string& text) = 0;
};

class ReceptionScheduler {
public:
    explicit ReceptionScheduler(SchedulerHost& host) : host_(host) {}

    // One call per sound block (or timer tick); work happens once per second.
    void tick();

    // The automatic-reception button released (SpeedButton1 up): ends a
    // running automatic reception, switching the receiver off and building
    // the pictures of the part received.
    void autoReceptionReleased();

    // 0 at creation, counting ticks; -1 during the start-up checks (and the
    // pass computation they run), -2 afterwards.
    int startupCountdown() const { return startupCountdown_; }
    bool receiverSwitchedOn() const { return receiverSwitchedOn_; }
    bool mapPassMode() const { return mapPassMode_; }

    static constexpr const char* kMissingElementsQuestion =
        "衛星軌道要素データがありません。ダウンロードしますか？";
    static constexpr const char* kProcessingPicturesText = "受信画像処理中...";
    // A table whose next pass is over (or that holds none) is computed
    // again at most this often.
    static constexpr int kRecomputeSeconds = 60;

private:
    void startupChecks();
    void followPassTable(DayTime now);
    void redraw(bool passMode);

    SchedulerHost& host_;
    void recompute(std::int64_t now);

    std::string previousTimeText_;
    std::int64_t lastComputeSeconds_ = 0;
    bool computedOnce_ = false;
    int startupCountdown_ = 0;
    bool receiverSwitchedOn_ = false;
    bool mapPassMode_ = false;
};

}  // namespace sorae
