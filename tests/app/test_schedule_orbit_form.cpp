// The orbit settings dialog's requests reach the window: the reception list
// and the set-aside pass, the station's map, the colours of the base map, a
// recomputation, and a download that computes nothing afterwards.
#include "test_schedule_support.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>

#include "app/map_controller.h"
#include "app/status_panels.h"
#include "app/schedule_wiring.h"
#include "app/scheduler_controller.h"
#include "map/qt/map_painting.h"
#include "orbit/qt/element_downloader.h"
#include "orbit/qt/orbit_settings_dialog.h"

using namespace sorae;
using namespace sorae::testing;

namespace {

class OrbitFormWiringTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(dir_.isValid());
        prepareFolder(dir_);
        setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 1, 25, 0, 0, 0})));
        window_ = std::make_unique<MainWindow>(windowOptions(dir_));
        createOrbitSettingsForm(*window_);
        reception_ = std::make_unique<FakeReception>(*window_);
        parts_ = installScheduling(*window_, *reception_);
        orbit_ = window_->findChild<OrbitSettingsDialog*>(QStringLiteral("TForm3"));
        ASSERT_NE(orbit_, nullptr);
        QSignalSpy computed(parts_.scheduler, &SchedulerController::passesComputed);
        ASSERT_TRUE(computed.wait(120000));
    }
    void TearDown() override { setClockOffsetSeconds(0); }

    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FakeReception> reception_;
    ScheduleParts parts_;
    OrbitSettingsDialog* orbit_ = nullptr;
};

TEST_F(OrbitFormWiringTest, ReceptionListIsRebuiltAndPassesRecomputedForTheNewChoice) {
    SchedulerController& scheduler = *parts_.scheduler;
    EXPECT_NE(scheduler.passTable()[0].satellite, "");
    // Only NOAA-19 from now on.
    window_->settings().recvSat = {false, false, false, false, false, false, false, true};
    emit orbit_->receptionListChanged();
    EXPECT_EQ(window_->state().receptionList[3], "");
    EXPECT_EQ(window_->state().receptionList[7], "NOAA-19");
    EXPECT_EQ(scheduler.passMemory().skippedPassEnd, kNoSkippedPass);

    QSignalSpy computed(&scheduler, &SchedulerController::passesComputed);
    emit orbit_->computePassesRequested();
    EXPECT_TRUE(scheduler.passCalcBusy());
    EXPECT_FALSE(scheduler.passTableValid());
    ASSERT_TRUE(computed.wait(120000));
    EXPECT_EQ(scheduler.passMemory().satelliteCount, 1);
    EXPECT_EQ(scheduler.passTable()[0].satellite, "NOAA-19");
    EXPECT_EQ(scheduler.passTable()[0].frequencyMHz, 137.1);
}

TEST_F(OrbitFormWiringTest, StationAndColoursRedrawTheBaseMap) {
    MapRenderer& renderer = parts_.map->renderer();
    const double before = renderer.projection().LeftLongitude;
    window_->settings().locateE = -100.0;
    emit orbit_->stationChanged();
    EXPECT_NE(renderer.projection().LeftLongitude, before);

    window_->settings().mapBackColor = 0x0000FF;  // red
    emit orbit_->baseMapColoursChanged();
    const QImage& base = renderer.baseBitmap();
    const auto sea = ProjectPoint(renderer.projection(), base.width(), base.height(), 5.0, -35.0);
    ASSERT_TRUE(sea.visible);
    EXPECT_EQ(QColor(base.pixel(sea.x, sea.y)), QColor(Qt::red));
}

TEST_F(OrbitFormWiringTest, ChangedAddressDownloadsWithoutRecomputing) {
    // Nothing listens on port 9 of this machine: a quick failure.
    window_->settings().address = "http://127.0.0.1:9/noaa.txt";
    SchedulerController& scheduler = *parts_.scheduler;
    QSignalSpy downloaded(&scheduler, &SchedulerController::downloadFinished);
    QSignalSpy computed(&scheduler, &SchedulerController::passesComputed);
    emit orbit_->downloadRequested();
    ASSERT_TRUE(downloaded.wait(40000));
    QTest::qWait(200);
    EXPECT_EQ(computed.count(), 0);
    EXPECT_TRUE(scheduler.passTableValid());

    // "更新" computes after the transfer, failed or not.
    emit orbit_->updateRequested();
    ASSERT_TRUE(computed.wait(120000));
    EXPECT_EQ(window_->statusPanels().panelText(0), ElementDownloader::kFailedKeptOld);
}

}  // namespace

TEST_F(OrbitFormWiringTest, InvalidCoordinateGivesOneWarning) {
    orbit_->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("95"));
    EXPECT_FALSE(orbit_->applyClose());
    int boxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
            ++boxes;
            box->close();
        }
    }
    EXPECT_EQ(boxes, 1);
}
