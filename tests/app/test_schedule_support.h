// Helpers of the scheduling tests: a pass reception that counts what the
// scheduler asks of it, a program folder with the real element file, the
// station-time arithmetic of the clock offset, and a pseudo-terminal that
// stands in for the receiver's serial port.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "app/main_window.h"
#include "common/pseudo_terminal.h"
#include "common/qt_application.h"
#include "app/pass_reception.h"
#include "app/program_clock.h"
#include "imaging/qt/image_display.h"
#include "orbit/pass_computation.h"

namespace sorae::testing {

inline void ensureApp() { testsupport::ensureApplication(); }

// Stands in for the reception controller: the display is real, the rest
// is counted.
class FakeReception : public PassReception {
public:
    explicit FakeReception(MainWindow& window) : window_(window) {
        display_ = new ImageDisplay();
        window.setImageArea(display_);
    }
    void resetForNewPass() override {
        ++resets;
        display_->resetForNewPass();
    }
    void buildPassPictures() override { ++builds; }
    bool syncConfirmed() const override { return synced; }
    void setCurrentPass(const PassInfo& slot0, const PassInfo& slot1) override {
        current = slot0;
        next = slot1;
    }
    const PassInfo& currentPass() const override { return current; }
    ImageDisplay& display() override { return *display_; }

    int resets = 0;
    int builds = 0;
    bool synced = true;
    PassInfo current;
    PassInfo next;

private:
    MainWindow& window_;
    ImageDisplay* display_;
};

inline std::string elementFixture() { return std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-01-24.txt"; }

// A program folder holding the real element file (unless withElements is false).
inline void prepareFolder(const QTemporaryDir& dir, bool withElements = true) {
    if (withElements) {
        QFile::copy(QString::fromStdString(elementFixture()), dir.filePath(QStringLiteral("SatTle.txt")));
    }
}

inline MainWindowOptions windowOptions(const QTemporaryDir& dir) {
    MainWindowOptions o;
    o.programFolder = dir.path().toStdString();
    o.openSoundDevices = false;
    o.reportFailure = [](const QString&) {};
    return o;
}

// UT seconds since 1970 of a station date-time (UT + 9 h).
inline std::int64_t unixFromStation(DayTime t) {
    const DayTimeFields f = DecodeDayTime(t);
    const std::int64_t days = JulianDayNumber(f.year, f.month, f.day) - 2440588;
    return days * 86400 + f.hour * 3600 + f.minute * 60 + f.second - 9 * 3600;
}

inline std::int64_t systemUnixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Shifts the program clock so that it reads `unixSeconds` now.
inline void setProgramClockTo(std::int64_t unixSeconds) {
    setClockOffsetSeconds(unixSeconds - systemUnixNow());
}

// The table the program computes for the fixture's default satellites at
// a UT instant: used to find a pass to place the clock before.
inline PassComputation fixturePasses(const UtcInstant& now) {
    PassRequest request;
    request.elementFilePath = elementFixture();
    request.receptionList = MakeReceptionList(AppSettings{}.recvSat);
    request.now = now;
    return ComputePasses(request);
}

// The receiver's serial port: the slave's path is the port name; drain()
// gives what has arrived on the master side since the last call.
struct PseudoTerminal {
    testsupport::PtyPair pair;
    std::string path = pair.valid() ? pair.path() : std::string();
    std::size_t taken = 0;
    std::string drain() {
        pair.poll();
        const std::string all = pair.text();
        std::string fresh = all.substr(std::min(taken, all.size()));
        taken = all.size();
        return fresh;
    }
};

}  // namespace sorae::testing
