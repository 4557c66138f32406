// The orbit view in the main window: the flat map from the shipped world
// outline shown while the orbit-view button is down, the globe inset pasted
// during a pass, the map following the image area's size, and where the
// world outline file is looked for.
#include "test_schedule_support.h"

#include <QToolButton>
#include <fstream>

#include "app/map_controller.h"
#include "app/schedule_wiring.h"
#include "app/scheduler_controller.h"
#include "map/qt/map_painting.h"

using namespace sorae;
using namespace sorae::testing;

namespace {

class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(dir_.isValid());
        prepareFolder(dir_);
        setProgramClockTo(unixFromStation(StationTimeFromUtc(UtcInstant{2019, 1, 25, 0, 0, 0})));
        window_ = std::make_unique<MainWindow>(windowOptions(dir_));
        reception_ = std::make_unique<FakeReception>(*window_);
        parts_ = installScheduling(*window_, *reception_);
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(reception_->display().width() > 1000, 5000);
    }
    void TearDown() override { setClockOffsetSeconds(0); }

    QRgb screenPixel(int x, int y) { return reception_->display().screenImage().pixel(x, y); }

    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<FakeReception> reception_;
    ScheduleParts parts_;
};

// 27N 15E (inner Libya) and 5N 35W (Atlantic): off the grid lines and borders.
TEST_F(MapViewTest, OrbitViewShowsTheFlatMapWithLandAndSeaWhereTheyBelong) {
    ImageDisplay& display = reception_->display();
    EXPECT_TRUE(window_->speedButton(6)->isChecked());
    EXPECT_TRUE(display.orbitViewShown());
    parts_.map->redraw(false);

    const MapRenderer& renderer = parts_.map->renderer();
    ASSERT_FALSE(renderer.mapFilePath().empty());
    EXPECT_EQ(renderer.baseBitmap().size(), display.size()) << "the map follows the image area";
    const QImage& screen = display.screenImage();
    if (qEnvironmentVariableIsSet("SORAE_SHOT")) screen.save(qEnvironmentVariable("SORAE_SHOT"));
    ASSERT_EQ(screen.size(), display.size());
    const AppSettings& s = window_->settings();
    const auto land = ProjectPoint(renderer.projection(), screen.width(), screen.height(), 27.0, 15.0);
    const auto sea = ProjectPoint(renderer.projection(), screen.width(), screen.height(), 5.0, -35.0);
    ASSERT_TRUE(land.visible) << land.x << "," << land.y;
    ASSERT_TRUE(sea.visible);
    EXPECT_EQ(QColor(screenPixel(land.x, land.y)), ToQColor(s.mapCoastColor));
    EXPECT_EQ(QColor(screenPixel(sea.x, sea.y)), ToQColor(s.mapBackColor));
    // The station cross.
    const auto home = ProjectPoint(renderer.projection(), screen.width(), screen.height(), s.locateN, s.locateE);
    EXPECT_EQ(QColor(screenPixel(home.x + 4, home.y)), QColor(Qt::white));
}

TEST_F(MapViewTest, PassLayoutPastesTheGlobeInsetAndTheButtonHidesTheMap) {
    ImageDisplay& display = reception_->display();
    reception_->resetForNewPass();
    window_->reception().receptionActive = true;
    display.setReceptionActive(true);
    display.setPassDirection(0);
    parts_.map->redraw(true);
    EXPECT_TRUE(parts_.map->renderer().lastDrawnMapMode());
    const int w = display.screenImage().width();
    // N>S: the framed inset at the top right, 20 pixels in.
    EXPECT_EQ(QColor(screenPixel(w - 320, 20)), QColor(Qt::white));
    EXPECT_EQ(QColor(screenPixel(w - 320, 170)), QColor(Qt::white));
    EXPECT_NE(QColor(screenPixel(w - 170, 170)), QColor(Qt::black)) << "the globe around the station";

    // Released: the map is no longer shown; pressed: redrawn in the mode of
    // the reception.
    window_->speedButton(6)->setChecked(false);
    EXPECT_FALSE(display.orbitViewShown());
    window_->reception().receptionActive = false;
    window_->speedButton(6)->setChecked(true);
    EXPECT_TRUE(display.orbitViewShown());
    EXPECT_FALSE(parts_.map->renderer().lastDrawnMapMode());
}

TEST_F(MapViewTest, ResizingRedrawsTheBaseMapAtTheNewSize) {
    window_->resize(1300, 800);
    QTRY_VERIFY_WITH_TIMEOUT(parts_.map->renderer().baseBitmap().size() == reception_->display().size(), 5000);
    EXPECT_GT(parts_.map->renderer().baseBitmap().width(), 1200);
}

TEST(MapFileSearch, ProgramFolderFirstThenTheShippedCopy) {
    QTemporaryDir dir;
    const std::string own = dir.filePath(QStringLiteral("AllWorld.map")).toStdString();
    const std::string shipped = MapController::findWorldMapFile(own, "");
    ASSERT_FALSE(shipped.empty()) << "the source tree's copy";
    EXPECT_TRUE(QFile::exists(QString::fromStdString(shipped)));
    EXPECT_NE(shipped, own);

    std::ofstream(own) << "TERM\n";
    EXPECT_EQ(MapController::findWorldMapFile(own, ""), own);

    // An installed program: share/sorae-apt beside bin.
    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath(QStringLiteral("bin"));
    QDir(prefix.path()).mkpath(QStringLiteral("share/sorae-apt"));
    const std::string installed = prefix.filePath(QStringLiteral("share/sorae-apt/AllWorld.map")).toStdString();
    std::ofstream(installed) << "TERM\n";
    EXPECT_EQ(MapController::findWorldMapFile("/nonexistent/AllWorld.map",
                                              prefix.filePath(QStringLiteral("bin")).toStdString()),
              installed);
}

}  // namespace
