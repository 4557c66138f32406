// The map overlay in the main window: the toolbar toggle draws the traced
// outline and grid over the shown picture and the live view, and the status
// bar tells the latitude and longitude under the pointer, through a
// projection handed in by the test.
#include "test_schedule_support.h"

#include <QApplication>
#include <QMouseEvent>
#include <QToolButton>

#include "app/overlay_controller.h"
#include "app/status_panels.h"
#include "imaging/qt/picture_overlay_painter.h"

using namespace sorae;
using namespace sorae::testing;

namespace {

// 10 rows and 10 words per degree: row 0 at 45N, word 0 at 130E.
constexpr double kTopLat = 45.0, kLeftLon = 130.0, kPerDegree = 10.0;
constexpr int kRows = 400;

PictureGeoreference LinearGeoreference(bool turned) {
    PictureGeoreference g;
    g.rows = kRows;
    g.turned = turned;
    g.picturePoint = [](GeoPoint p) -> std::optional<PicturePoint> {
        const PicturePoint q{(p.longitudeDeg - kLeftLon) * kPerDegree, (kTopLat - p.latitudeDeg) * kPerDegree};
        if (q.column < -0.5 || q.column > kImageWords - 0.5 || q.row < -0.5 || q.row > kRows - 0.5) return std::nullopt;
        return q;
    };
    g.groundPoint = [](PicturePoint q) -> std::optional<GeoPoint> {
        if (q.column < -0.5 || q.column > kImageWords - 0.5 || q.row < -0.5 || q.row > kRows - 0.5) return std::nullopt;
        return GeoPoint{kTopLat - q.row / kPerDegree, kLeftLon + q.column / kPerDegree};
    };
    return g;
}

void MoveMouse(QWidget& widget, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

bool IsGridColour(QRgb c) {
    const QColor grid = OverlayStyle().grid;
    return std::abs(qRed(c) - grid.red()) < 50 && std::abs(qGreen(c) - grid.green()) < 50 &&
           std::abs(qBlue(c) - grid.blue()) < 50;
}

class OverlayWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        ASSERT_TRUE(dir_.isValid());
        window_ = std::make_unique<MainWindow>(windowOptions(dir_));
        display_ = new ImageDisplay();
        window_->setImageArea(display_);
        overlay_ = new OverlayController(*window_, *display_, std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(display_->width() > 1000, 5000);
        display_->setOrbitViewShown(false);
    }

    // The area pixel where the display shows the centre of word `column`, row `row`.
    QPoint areaPixel(double column, double row, bool turned) const {
        bool live = false;
        const ViewPlacement placement = overlay_->currentPlacement(&live);
        const AreaCoordinates a = placement.toArea({ImageAreaFirstColumn(turned) + column + 0.5, row + 0.5});
        return QPoint(int(a.x), int(a.y));
    }

    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
    ImageDisplay* display_ = nullptr;
    OverlayController* overlay_ = nullptr;
};

}  // namespace

TEST_F(OverlayWindowTest, ToggleDrawsTheGridOverTheShownPictureAndThePointerIsLocated) {
    QToolButton* toggle = window_->findChild<QToolButton*>(QStringLiteral("SpeedButton14"));
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->text(), QStringLiteral("地図"));
    EXPECT_EQ(toggle->toolTip(), QStringLiteral("地図を重ねる"));
    EXPECT_TRUE(toggle->isCheckable());
    EXPECT_TRUE(toggle->isVisible()) << "on the toolbar, not in its overflow menu";
    for (QToolButton* b : window_->findChildren<QToolButton*>()) {
        if (b->objectName().startsWith(QStringLiteral("SpeedButton"))) {
            EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
        }
    }
    EXPECT_FALSE(toggle->isChecked()) << "off unless the image setting is on";

    for (const bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned picture" : "picture as received");
        QImage grey(1040, kRows, QImage::Format_RGB32);
        grey.fill(QColor(60, 60, 60));
        display_->setPictures(grey, grey);
        overlay_->setPictureGeoreference(LinearGeoreference(turned));

        // 40N runs along row 50 (word 305 is off every meridian); 140E down word 100.
        const QPoint onParallel = areaPixel(305, 50, turned);
        const QPoint onMeridian = areaPixel(100, 250, turned);
        toggle->setChecked(false);
        QImage shot = display_->grab().toImage();
        EXPECT_FALSE(IsGridColour(shot.pixel(onParallel)));
        toggle->setChecked(true);
        shot = display_->grab().toImage();
        if (qEnvironmentVariableIsSet("SORAE_SHOT")) shot.save(qEnvironmentVariable("SORAE_SHOT"));
        EXPECT_TRUE(IsGridColour(shot.pixel(onParallel))) << QColor(shot.pixel(onParallel)).name().toStdString();
        EXPECT_TRUE(IsGridColour(shot.pixel(onMeridian)));
        EXPECT_FALSE(IsGridColour(shot.pixel(onParallel + QPoint(0, 5))));

        // Word 455, row 150 is 30N 175.5E.
        window_->statusPanels().setPanelText(0, QStringLiteral("前の表示"));
        MoveMouse(*display_, areaPixel(455, 150, turned) + QPointF(0.5, 0.5));
        EXPECT_EQ(window_->statusPanels().panelText(0), QStringLiteral("北緯 30.00° 東経 175.50°"));
        // Beside the picture, panel 0 shows what it showed before.
        MoveMouse(*display_, QPointF(areaPixel(-60, 150, turned)));
        EXPECT_EQ(window_->statusPanels().panelText(0), QStringLiteral("前の表示"));
    }

    // Without a georeference nothing is drawn and nothing is told.
    overlay_->setPictureGeoreference(std::nullopt);
    const QImage bare = display_->grab().toImage();
    EXPECT_FALSE(IsGridColour(bare.pixel(areaPixel(305, 50, false))));
    MoveMouse(*display_, areaPixel(455, 150, false));
    EXPECT_EQ(window_->statusPanels().panelText(0), QStringLiteral("前の表示"));
    // The orbit view hides the overlay.
    toggle->setChecked(true);
    overlay_->setPictureGeoreference(LinearGeoreference(false));
    display_->setOrbitViewShown(true);
    EXPECT_FALSE(overlay_->overlayShown());
}

// The live view follows the received lines: north to south the newest line
// is at the bottom; south to north at the top, turned.
TEST_F(OverlayWindowTest, LiveViewIsOverlaidAsLinesArrive) {
    QToolButton* toggle = window_->findChild<QToolButton*>(QStringLiteral("SpeedButton14"));
    ASSERT_TRUE(toggle);
    toggle->setChecked(true);
    for (const int direction : {0, 1}) {
        SCOPED_TRACE(direction);
        display_->resetForNewPass();
        display_->setReceptionActive(true);
        int lines = 0;
        overlay_->setLiveGeoreference(LinearGeoreference(false), [&lines] { return lines; }, direction);
        std::vector<double> line(1040, 300.0);
        for (; lines < 120; ++lines) display_->appendLiveLine(line.data(), line.data(), direction);
        // 40N is line 50 of the 120 received.
        const QPoint onParallel = areaPixel(305, 50, false);
        const int viewHeight = display_->viewHeight();
        EXPECT_EQ(onParallel.y(), direction == 0 ? viewHeight - 120 + 50 : 120 - 1 - 50);
        EXPECT_EQ(onParallel.x(), direction == 0 ? areaPixel(0, 0, false).x() + 305
                                                 : areaPixel(0, 0, false).x() - 305);
        const QImage shot = display_->grab().toImage();
        EXPECT_TRUE(IsGridColour(shot.pixel(onParallel)));
        MoveMouse(*display_, areaPixel(100, 50, false) + QPointF(0.5, 0.5));
        EXPECT_EQ(window_->statusPanels().panelText(0), QStringLiteral("北緯 40.00° 東経 140.00°"));
        display_->setReceptionActive(false);
    }
}
