#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <array>
#include <memory>

#include "imaging/qt/image_display.h"
#include "qt_test_app.h"

using namespace sorae;

namespace {

// Picture whose row r is coloured (r % 256, r / 256, channel marker), so a
// screen pixel tells which picture row and channel it shows.
QImage RowCodedPicture(int rows, int channel) {
    QImage image(1040, rows, QImage::Format_RGB32);
    for (int r = 0; r < rows; ++r) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(r));
        for (int x = 0; x < 1040; ++x) line[x] = qRgb(r % 256, r / 256, channel == 0 ? 0x40 : 0xC0);
    }
    return image;
}

int RowAt(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return qRed(c) + 256 * qGreen(c);
}

void Wheel(QWidget* w, int delta) {
    QWheelEvent event(QPointF(100, 100), w->mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

class ImageDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        display = std::make_unique<ImageDisplay>();
    }
    void Open(int w, int h) {
        display->resize(w, h);
        display->show();
        QApplication::processEvents();
    }
    std::unique_ptr<ImageDisplay> display;
};

}  // namespace

TEST_F(ImageDisplayTest, ShortPictureIsCentredAndDoesNotScroll) {
    Open(1040, 600);
    display->setPictures(RowCodedPicture(200, 0), RowCodedPicture(200, 1));
    const QImage& screen = display->screenImage();
    EXPECT_EQ(screen.pixel(500, 199), qRgb(0, 0, 0));
    EXPECT_EQ(RowAt(screen, 500, 200), 0);
    EXPECT_EQ(RowAt(screen, 500, 399), 199);
    EXPECT_EQ(screen.pixel(500, 400), qRgb(0, 0, 0));
    Wheel(display.get(), -120);
    EXPECT_EQ(display->scrollOffset(), 0);
    EXPECT_EQ(RowAt(display->screenImage(), 500, 200), 0);
}

TEST_F(ImageDisplayTest, WheelMovesFiftyRowsAtScaleOneAndStopsAtBothEnds) {
    Open(1040, 600);
    ASSERT_DOUBLE_EQ(display->scale(), 1.0);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    Wheel(display.get(), -120);  // toward the user: down the picture
    EXPECT_EQ(display->scrollOffset(), 50);
    EXPECT_EQ(RowAt(display->screenImage(), 10, 0), 50);
    Wheel(display.get(), 120);
    Wheel(display.get(), 120);
    EXPECT_EQ(display->scrollOffset(), 0);
    for (int i = 0; i < 20; ++i) Wheel(display.get(), -120);
    EXPECT_EQ(display->scrollOffset(), 400);  // P - V
    Wheel(display.get(), 40);  // a fine wheel: three steps make one notch
    Wheel(display.get(), 40);
    EXPECT_EQ(display->scrollOffset(), 400);
    Wheel(display.get(), 40);
    EXPECT_EQ(display->scrollOffset(), 350);
    Wheel(display.get(), -120);
    EXPECT_EQ(RowAt(display->screenImage(), 10, 599), 999);

    display->setReceptionActive(true);  // no scrolling while receiving
    Wheel(display.get(), 120);
    EXPECT_EQ(display->scrollOffset(), 400);
}

TEST_F(ImageDisplayTest, DraggingUpMovesDownThePicture) {
    Open(1040, 600);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    QTest::mousePress(display.get(), Qt::LeftButton, {}, QPoint(300, 400));
    QTest::mouseRelease(display.get(), Qt::LeftButton, {}, QPoint(300, 130));
    EXPECT_EQ(display->scrollOffset(), 270);
    EXPECT_EQ(RowAt(display->screenImage(), 10, 0), 270);
    QTest::mousePress(display.get(), Qt::LeftButton, {}, QPoint(300, 100));
    QTest::mouseRelease(display.get(), Qt::LeftButton, {}, QPoint(300, 500));
    EXPECT_EQ(display->scrollOffset(), 0);
}

TEST_F(ImageDisplayTest, NarrowAreaShowsTheMiddleColumnsAndScrollsFaster) {
    Open(800, 600);
    QImage a = RowCodedPicture(1000, 0);
    a.setPixel(120, 0, qRgb(255, 255, 255));  // becomes screen column 0
    a.setPixel(919, 0, qRgb(255, 255, 255));  // becomes screen column 799
    display->setPictures(a, RowCodedPicture(1000, 1));
    EXPECT_EQ(display->screenImage().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(display->screenImage().pixel(799, 0), qRgb(255, 255, 255));
    EXPECT_EQ(display->screenImage().pixel(1, 0), qRgb(0, 0, 0x40));
    Wheel(display.get(), -120);
    EXPECT_EQ(display->scrollOffset(), int(50.0 / (800.0 / 1040.0)));  // 65
}

TEST_F(ImageDisplayTest, StretchKeepsProportionsAndFillsTheWidth) {
    Open(520, 300);
    display->setStretch(true);
    EXPECT_EQ(display->viewHeight(), 600);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    const QImage& screen = display->screenImage();
    for (int y : {0, 75, 150, 299}) {
        const int row = RowAt(screen, 260, y);
        EXPECT_NEAR(row, 2 * y, 1) << y;
        EXPECT_EQ(qBlue(screen.pixel(0, y)), 0x40);
        EXPECT_EQ(qBlue(screen.pixel(519, y)), 0x40);
    }
    Wheel(display.get(), -120);
    EXPECT_EQ(display->scrollOffset(), 100);  // trunc(50 / 0.5)
    EXPECT_NEAR(RowAt(display->screenImage(), 260, 0), 100, 1);
}

TEST_F(ImageDisplayTest, RightReleaseTogglesTheChannelAndItsCaptions) {
    Open(1040, 600);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    display->setSensorNames("CH 2 (VIS)", "CH 4 (IR)");
    QSignalSpy spy(display.get(), &ImageDisplay::channelShown);
    EXPECT_EQ(qBlue(display->screenImage().pixel(5, 5)), 0x40);
    QTest::mouseClick(display.get(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_TRUE(display->showChannelB());
    EXPECT_EQ(qBlue(display->screenImage().pixel(5, 5)), 0xC0);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(display->channelCaption(), "CH B");
    EXPECT_EQ(display->sensorCaption(), "CH 4 (IR)");

    display->setOrbitViewShown(true);  // over the orbit view outside a reception: nothing
    QTest::mouseClick(display.get(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_TRUE(display->showChannelB());
    display->setReceptionActive(true);  // during a reception it toggles even there
    QTest::mouseClick(display.get(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_FALSE(display->showChannelB());
    EXPECT_EQ(display->sensorCaption(), "CH 2 (VIS)");
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(ImageDisplayTest, LiveLinesScrollOneRowEachWayAndSurviveAResize) {
    Open(1040, 100);
    display->resetForNewPass();
    display->setReceptionActive(true);
    std::array<double, 1040> a{}, b{};
    for (int line = 0; line < 130; ++line) {  // more lines than rows: the ring wraps
        for (int w = 0; w < 1040; ++w) {
            a[w] = 6.0 * ((line + w) % 200);
            b[w] = 6.0 * 3;
        }
        display->appendLiveLine(a.data(), b.data(), 0);
    }
    QImage view = display->viewImage(0);
    EXPECT_EQ(qRed(view.pixel(0, 99)), 129 % 200);   // newest line at the bottom
    EXPECT_EQ(qRed(view.pixel(0, 98)), 128 % 200);
    EXPECT_EQ(qRed(view.pixel(5, 0)), (30 + 5) % 200);
    EXPECT_EQ(qRed(display->screenImage().pixel(0, 99)), 129);
    EXPECT_EQ(qRed(display->screenImage().pixel(0, 0)), 30);
    EXPECT_EQ(qRed(display->viewImage(1).pixel(7, 50)), 3);

    display->resize(1040, 120);  // a resize during reception clears the views
    QApplication::processEvents();
    EXPECT_EQ(display->viewImage(0).pixel(0, 119), qRgb(0, 0, 0));
    display->appendLiveLine(a.data(), b.data(), 0);
    EXPECT_EQ(qRed(display->viewImage(0).pixel(0, 119)), 129);
    EXPECT_EQ(display->viewImage(0).pixel(0, 118), qRgb(0, 0, 0));
}

TEST_F(ImageDisplayTest, SouthToNorthLiveLinesArriveTurnedAtTheTop) {
    Open(520, 50);
    display->setStretch(true);  // view of 100 rows shown on 50
    display->resetForNewPass();
    std::array<double, 1040> a{}, b{};
    for (int line = 0; line < 150; ++line) {
        for (int w = 0; w < 1040; ++w) a[w] = 6.0 * (w == 0 ? 250 : line % 200);
        display->appendLiveLine(a.data(), b.data(), 1);
    }
    const QImage view = display->viewImage(0);
    EXPECT_EQ(qRed(view.pixel(1039, 0)), 250);  // word 0 lands in the last column
    EXPECT_EQ(qRed(view.pixel(0, 0)), 149);
    EXPECT_EQ(qRed(view.pixel(0, 1)), 148);
    EXPECT_EQ(qRed(view.pixel(0, 99)), 50);
    EXPECT_NEAR(qRed(display->screenImage().pixel(0, 0)), 149, 1);
    EXPECT_NEAR(qRed(display->screenImage().pixel(0, 49)), 51, 2);
}

TEST_F(ImageDisplayTest, MapInsetGoesTopRightOrBottomRightByDirection) {
    Open(1040, 600);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    QImage inset(300, 300, QImage::Format_RGB32);
    inset.fill(qRgb(0, 200, 0));
    display->setMapInset(inset, true);
    display->composeScreen();
    EXPECT_NE(display->screenImage().pixel(800, 100), qRgb(0, 200, 0));  // orbit view off
    display->setReceptionActive(true);
    display->setOrbitViewShown(true);
    display->composeScreen();
    EXPECT_EQ(display->screenImage().pixel(720, 20), qRgb(0, 200, 0));
    EXPECT_EQ(display->screenImage().pixel(1019, 319), qRgb(0, 200, 0));
    EXPECT_NE(display->screenImage().pixel(1020, 319), qRgb(0, 200, 0));
    display->setPassDirection(1);
    display->composeScreen();
    EXPECT_EQ(display->screenImage().pixel(720, 280), qRgb(0, 200, 0));
    EXPECT_NE(display->screenImage().pixel(720, 20), qRgb(0, 200, 0));
}

TEST_F(ImageDisplayTest, ResetShowsBlackAndEmptiesThePictureHeight) {
    Open(1040, 300);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    display->setScrollOffset(100);
    display->setSensorNames("CH 1 (VIS)", "CH 4 (IR)");
    display->resetForNewPass();
    EXPECT_EQ(display->sensorCaption(), "Senser Type");
    EXPECT_EQ(display->pictureHeight(), 0);
    EXPECT_EQ(display->scrollOffset(), 0);
    EXPECT_EQ(display->picture(0).height(), 300);
    EXPECT_EQ(display->screenImage().pixel(500, 150), qRgb(0, 0, 0));
}

TEST_F(ImageDisplayTest, OrbitViewKeepsTheMapUntilReleased) {
    Open(1040, 600);
    display->setPictures(RowCodedPicture(1000, 0), RowCodedPicture(1000, 1));
    display->setOrbitViewShown(true);
    QImage map(1040, 600, QImage::Format_RGB32);
    map.fill(qRgb(10, 20, 200));
    display->setOrbitViewImage(map);
    Wheel(display.get(), -120);
    QTest::mouseClick(display.get(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(display->screenImage().pixel(5, 5), qRgb(10, 20, 200));
    display->setReceptionActive(true);
    display->setOrbitViewShown(false);  // during a reception: nothing redrawn at once
    EXPECT_EQ(display->screenImage().pixel(5, 5), qRgb(10, 20, 200));
    display->setReceptionActive(false);
    display->setOrbitViewShown(true);
    display->setOrbitViewShown(false);
    EXPECT_EQ(RowAt(display->screenImage(), 5, 5), 5 + display->scrollOffset());
}
