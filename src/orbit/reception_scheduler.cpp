#include "orbit/reception_scheduler.h"

#include <cmath>

namespace sorae {

namespace {

constexpr std::int64_t kDayNumberOf19700101 = 2440588;

// Whole seconds since 1899-12-30 of a date-time truncated to its second, as
// the text round trip "yyyy/mm/dd hh:nn:ss" gives it. Integer seconds keep
// "end + 1 second" exact.
std::int64_t wholeSeconds(DayTime t)
{
    const DayTimeFields f = DecodeDayTime(t);
    const std::int64_t date = JulianDayNumber(f.year, f.month, f.day) - 2415019;
    return date * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
}

}  // namespace

DayTime StationTimeFromUnixSeconds(std::int64_t s)
{
    std::int64_t days = s / 86400;
    std::int64_t rest = s % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const CalendarDate d = CalendarFromDayNumber(static_cast<long>(days + kDayNumberOf19700101));
    const UtcInstant utc{d.year, d.month, d.day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                         static_cast<int>(rest % 60)};
    return StationTimeFromUtc(utc);
}

DayTime StationTimeFromUtc(const UtcInstant& u)
{
    const DayTime t = EncodeDayTime(u.year, u.month, u.day, u.hour, u.minute, u.second);
    return DayTime{t.days + 32400000.0 / 86400000.0};
}

void ReceptionScheduler::tick()
{
    const DayTime now = host_.stationNow();
    const std::string timeText = FormatTimeOfDay(now);
    if (timeText == previousTimeText_)
        return;
    previousTimeText_ = timeText;

    if (startupCountdown_ == 1) {
        startupChecks();
    } else {
        if (host_.passTableValid())
            followPassTable(now);
        if (startupCountdown_ >= 0)
            ++startupCountdown_;
    }
    host_.showStatus(6, timeText);
}

void ReceptionScheduler::autoReceptionReleased()
{
    if (receiverSwitchedOn_) {
        receiverSwitchedOn_ = false;
        if (host_.autoCont())
            host_.powerOff(host_.radioType());
    }
    if (host_.receptionActive()) {
        host_.setReceptionActive(false);
        if (host_.syncConfirmed())
            host_.buildPassPictures();
    }
}

void ReceptionScheduler::startupChecks()
{
    startupCountdown_ = -1;
    if (!host_.elementFileExists()) {
        if (host_.askDownloadMissingElements()) {
            host_.downloadElementsThenComputePasses();
        } else {
            host_.closeMainWindow();
            startupCountdown_ = -2;
            return;
        }
    } else {
        recompute(wholeSeconds(host_.stationNow()));
    }
    startupCountdown_ = -2;
}

void ReceptionScheduler::recompute(std::int64_t now)
{
    if (host_.computePasses()) {
        computedOnce_ = true;
        lastComputeSeconds_ = now;
    }
}

void ReceptionScheduler::redraw(bool passMode)
{
    mapPassMode_ = passMode;
    host_.redrawMap(passMode);
}

void ReceptionScheduler::followPassTable(DayTime nowTime)
{
    const PassTable& table = host_.passTable();
    const std::int64_t start = wholeSeconds(table[0].start);
    const std::int64_t end = wholeSeconds(table[0].end);
    const std::int64_t now = wholeSeconds(nowTime);

    if (now >= start && now > end + 1) {
        // The pass is over.
        if (host_.autoReceptionOn()) {
            if (receiverSwitchedOn_) {
                receiverSwitchedOn_ = false;
                if (host_.autoCont())
                    host_.powerOff(host_.radioType());
            }
            if (host_.receptionActive()) {
                host_.setReceptionActive(false);
                if (host_.syncConfirmed()) {
                    host_.showStatus(1, kProcessingPicturesText);
                    host_.buildPassPictures();
                }
            }
        }
        if (!host_.picturesBusy() &&
            (!computedOnce_ || now - lastComputeSeconds_ >= kRecomputeSeconds))
            recompute(now);
    } else if (now >= start) {
        // The pass is in progress.
        if (host_.autoReceptionOn() && !receiverSwitchedOn_) {
            receiverSwitchedOn_ = true;
            if (host_.autoCont())
                host_.powerOn(host_.radioType());
            const PassInfo slot0 = table[0];
            const PassInfo slot1 = table[1];
            host_.setCurrentPass(slot0, slot1, slot0.direction);
            host_.resetForNewPass();
            host_.setReceptionActive(true);
        }
        if ((host_.autoReceptionOn() || host_.manualReceptionOn()) && host_.orbitViewOn()) {
            redraw(true);
        } else {
            if (host_.orbitViewOn())
                redraw(false);
            host_.showPassPosition(host_.passTable()[0].satellite);
        }
    } else if (host_.orbitViewOn() && !host_.manualReceptionOn()) {
        // Waiting for the pass.
        redraw(false);
    }
}

}  // namespace sorae
