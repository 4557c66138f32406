// The map overlay on the live view while a pass is replayed through the
// window: a recording of a known satellite with its element set gets the
// coastlines and the grid as lines come in and the latitude and longitude
// under the pointer; a manual reception gets no geometry.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/reception_controller.h"
#include "app/replay_controller.h"
#include "app/status_panels.h"
#include "app/window_georeference.h"
#include "common/qt_application.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/picture_overlay_painter.h"
#include "test_real_pass_recording.h"
#include "test_reception_support.h"
#include "testsignal/recording_writer.h"

namespace fs = std::filesystem;
using namespace sorae;
using namespace sorae::receptiontest;

namespace {

int OverlayPixels(const QImage& shot) {
    const QColor grid = OverlayStyle().grid;
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb c = shot.pixel(x, y);
            n += std::abs(qRed(c) - grid.red()) < 30 && std::abs(qGreen(c) - grid.green()) < 30 &&
                 std::abs(qBlue(c) - grid.blue()) < 30 && !(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
        }
    return n;
}

// Latitude and longitude (east and north positive) from the status text.
std::optional<std::pair<double, double>> ParsePosition(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("(北緯|南緯) ([0-9.]+)° (東経|西経) ([0-9.]+)°"));
    const auto m = pattern.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const double lat = m.captured(2).toDouble() * (m.captured(1) == QStringLiteral("北緯") ? 1 : -1);
    const double lon = m.captured(4).toDouble() * (m.captured(3) == QStringLiteral("東経") ? 1 : -1);
    return std::make_pair(lat, lon);
}

class LiveOverlayWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorae::testsupport::ensureApplication();
        ASSERT_TRUE(dir_.isValid());
        std::ofstream(folder() / "sorae-apt.ini") << "[Pic]\r\nMinScanLine=100\r\n";
        fs::copy_file(std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-05-21.txt", folder() / "SatTle.txt");
        MainWindowOptions options;
        options.programFolder = folder().string();
        options.openSoundDevices = false;
        options.reportFailure = [this](const QString& m) { failures_ << m; };
        window_ = std::make_unique<MainWindow>(options);
        reception_ = new ReceptionController(*window_);
        reception_->setFailureReporter([this](const QString& m) { failures_ << m; });
        const std::string worldMap = std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map";
        overlay_ = new OverlayController(*window_, reception_->display(), worldMap);
        georeference_ = new WindowGeoreference(*window_, *reception_, *overlay_, worldMap);
        replay_ = new ReplayController(*window_, *reception_, nullptr, nullptr);
        replay_->setFailureReporter([this](const QString& m) { failures_ << m; });
        window_->show();
        overlay_->button()->setChecked(true);
        reception_->display().setOrbitViewShown(false);
    }
    void TearDown() override { window_.reset(); }

    fs::path folder() const { return fs::path(dir_.path().toStdString()); }

    void startReplay(const std::string& path, const QString& satellite, int direction = 0) {
        window_->speedButton(ReplayController::kButton)->click();
        ReplayDialog& dialog = replay_->dialog();
        dialog.findChild<QLineEdit*>("ReplayFileEdit")->setText(QString::fromStdString(path));
        auto* satellites = dialog.findChild<QComboBox*>("ReplaySatelliteBox");
        satellites->setCurrentIndex(std::max(0, satellites->findData(satellite)));
        dialog.findChild<QComboBox*>("ReplayDirectionBox")->setCurrentIndex(direction);
        auto* speeds = dialog.findChild<QComboBox*>("ReplayDialogSpeedBox");
        speeds->setCurrentIndex(speeds->findData(int(ReplaySpeed::Fastest)));
        dialog.findChild<QPushButton*>("ReplayStartButton")->click();
        ASSERT_TRUE(replay_->running()) << failures_.join("\n").toStdString();
        ASSERT_EQ(window_->reception().currentPassDirection, direction);
    }

    // The status text for the centre word of live line `line`.
    QString pointAt(int line) {
        ImageDisplay& display = reception_->display();
        const ViewPlacement placement = overlay_->currentPlacement();
        const AreaCoordinates a = placement.toArea({ImageAreaFirstColumn(false) + 454.5, line + 0.5});
        const QPointF at(a.x, a.y);
        QMouseEvent move(QEvent::MouseMove, at, display.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&display, &move);
        return window_->statusPanels().panelText(0);
    }

    QTemporaryDir dir_;
    QStringList failures_;
    std::unique_ptr<MainWindow> window_;
    ReceptionController* reception_ = nullptr;
    OverlayController* overlay_ = nullptr;
    WindowGeoreference* georeference_ = nullptr;
    ReplayController* replay_ = nullptr;
};

}  // namespace

// NOAA 19 over Spain (2019-05-21, its start in the file name), northbound.
TEST_F(LiveOverlayWindowTest, AReplayedPassOfAKnownSatelliteIsOverlaidAndLocatedAsItComesIn) {
    const std::string path = (folder() / "SDRSharp_20190521_170204Z_137500000Hz.wav").string();
    ASSERT_TRUE(testsupport::WriteRealPassRecording(path));
    window_->settings().productMapColour = true;
    startReplay(path, "NOAA-19", 1);

    // Looked at between the replay's ticks, once 300 lines are in. The
    // fastest replay runs ahead of the window's timer, which is what the
    // sampler stands in for.
    auto* timer = georeference_->findChild<QTimer*>(QStringLiteral("LiveGeometryTimer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    bool looked = false;
    int overlaid = 0, bare = 0;
    QString where, whereAfterMore;
    const LineStore& store = reception_->lineStore();
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        georeference_->updateLiveGeometry();
        if (!reception_->display().receptionActive() || georeference_->liveBuilds() == 0) return;
        if (!looked && store.lineCount >= 300) {
            looked = true;
            // Lines received are placed; the pointer over line 250 is located.
            where = pointAt(250);
            const QImage live = reception_->display().grab().toImage();
            if (qEnvironmentVariableIsSet("SORAE_SHOT")) live.save(qEnvironmentVariable("SORAE_SHOT") + "-live.png");
            overlaid = OverlayPixels(live);
            overlay_->button()->setChecked(false);
            bare = OverlayPixels(reception_->display().grab().toImage());
            overlay_->button()->setChecked(true);
        }
        if (looked && whereAfterMore.isEmpty() && store.lineCount >= 700) whereAfterMore = pointAt(650);
    });
    sampler.start(0);
    QSignalSpy done(replay_, &ReplayController::finished);
    ASSERT_TRUE(done.wait(120000));
    EXPECT_TRUE(failures_.isEmpty()) << failures_.join("\n").toStdString();
    ASSERT_TRUE(looked) << "the live geometry came while the pass came in: " << georeference_->liveNote();
    EXPECT_GT(overlaid, 200) << "coastlines and the grid over the live view";
    EXPECT_EQ(bare, 0) << "and nothing with the toggle off";
    // Northbound from Morocco to France: line 650 lies north of line 250.
    const auto early = ParsePosition(where);
    const auto later = ParsePosition(whereAfterMore);
    ASSERT_TRUE(early) << where.toStdString() << " " << georeference_->liveNote();
    ASSERT_TRUE(later) << whereAfterMore.toStdString();
    for (const auto& p : {*early, *later}) {
        EXPECT_GT(p.first, 20.0);
        EXPECT_LT(p.first, 50.0);
        EXPECT_GT(p.second, -20.0);
        EXPECT_LT(p.second, 10.0);
    }
    // 200 s at 6.6 km/s along a track 9 degrees from the meridian
    EXPECT_NEAR(later->first - early->first, 11.8, 1.0);
    // The live geometry goes with the pass; the pictures are placed instead.
    EXPECT_EQ(georeference_->liveBuilds(), 0);
    EXPECT_FALSE(reception_->display().receptionActive());

    // Once placed, the map-coloured picture is written beside the pictures
    // and offered on the product chooser.
    const std::string& note = georeference_->lastNote();
    EXPECT_NE(note.find("-mapcolour.jpg"), std::string::npos) << note;
    int mapColour = 0;
    for (const auto& entry : fs::directory_iterator(folder() / "pics"))
        mapColour += entry.path().string().find("-mapcolour.jpg") != std::string::npos;
    EXPECT_EQ(mapColour, 1) << note;
    auto* choice = window_->findChild<QComboBox*>(QStringLiteral("ProductChoice"));
    ASSERT_NE(choice, nullptr);
    const int entry = choice->findText(QStringLiteral("地図カラー"));
    ASSERT_GE(entry, 0);
    ASSERT_TRUE(choice->isEnabled());
    choice->setCurrentIndex(entry);
    ASSERT_EQ(choice->currentIndex(), entry) << "the entry can be chosen";
    const QImage shown = reception_->display().picture(reception_->display().showChannelB() ? 1 : 0);
    if (qEnvironmentVariableIsSet("SORAE_SHOT")) shown.save(qEnvironmentVariable("SORAE_SHOT") + "-mapcolour.png");
    int coloured = 0;
    for (int y = 0; y < shown.height(); y += 7)
        for (int x = 100; x < 1000; x += 7) {
            const QRgb c = shown.pixel(x, y);
            coloured += !(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
        }
    EXPECT_GT(coloured, 1000) << "land and sea in colour";
}

TEST_F(LiveOverlayWindowTest, AManualReceptionGetsNoLiveGeometry) {
    AptSignalGenerator generator(passSource(), passOptions(SignalKind::Audio, 160));
    const std::string path = (folder() / "manual.wav").string();
    ASSERT_TRUE(writeRecording(path, generator, SampleFormat::Int16).ok);
    startReplay(path, QString());
    int lines = 0, builds = 0;
    bool drawing = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!reception_->display().receptionActive()) return;
        georeference_->updateLiveGeometry();
        lines = std::max(lines, reception_->lineStore().lineCount);
        builds = std::max(builds, georeference_->liveBuilds());
        drawing = drawing || overlay_->currentDrawing() != nullptr;
    });
    sampler.start(0);
    QSignalSpy done(replay_, &ReplayController::finished);
    ASSERT_TRUE(done.wait(60000));
    EXPECT_GT(lines, 50);
    EXPECT_EQ(builds, 0);
    EXPECT_FALSE(drawing);
}
