// The product choice of the image area and the value under the pointer,
// on a finished pass whose channel B holds known temperatures.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <cmath>

#include "app/product_view.h"
#include "app/status_panels.h"
#include "common/qt_application.h"
#include "imaging/qt/image_display.h"

namespace sorae {
namespace {

TEST(ProductView, ShowsTheChosenProductOverTheInfraredImageAreaAndTheValueUnderThePointer) {
    testsupport::ensureApplication();
    StatusPanels status;
    ImageDisplay display;
    display.resize(1040, 400);
    ProductView view(status, display, nullptr);

    auto pass = std::make_shared<PassCalibration>();
    pass->rows = 300;
    pass->satellite = "NOAA 19";
    for (int r = 0; r < 2; ++r) {
        pass->channel[r].values.assign(909 * 300, NAN);
        pass->channel[r].grey.assign(909 * 300, 100);
        pass->channel[r].rowQuantity.assign(300, CalibratedQuantity::None);
    }
    ChannelCalibration& b = pass->channel[1];
    b.segments.push_back({});
    b.segments[0].channel = AvhrrChannel::Ch4;
    b.segments[0].quantity = CalibratedQuantity::Kelvin;
    b.rowQuantity.assign(300, CalibratedQuantity::Kelvin);
    for (int i = 0; i < 909 * 300; ++i) b.values[std::size_t(i)] = 220.0f + float(i % 909) / 10.0f;

    QImage grey(1040, 300, QImage::Format_RGB32);
    grey.fill(qRgb(90, 90, 90));
    display.setPictures(grey, grey);
    view.setPass(pass, grey, grey);
    auto* choice = status.findChild<QComboBox*>("ProductChoice");
    ASSERT_NE(choice, nullptr);
    EXPECT_TRUE(choice->isEnabled());

    view.choose(ProductKind::Thermal);
    EXPECT_TRUE(display.showChannelB());
    const QImage& shown = display.picture(1);
    const QRgb inArea = shown.pixel(86 + 450, 150);
    EXPECT_FALSE(qRed(inArea) == qGreen(inArea) && qGreen(inArea) == qBlue(inArea)) << "no colour";
    EXPECT_EQ(shown.pixel(20, 150), grey.pixel(20, 150)) << "outside the image area the picture stays";
    EXPECT_EQ(display.picture(0).pixel(500, 150), grey.pixel(500, 150));

    // the area's points map onto the picture's pixels (none past its bottom
    // or while a pass is received)
    EXPECT_EQ(display.picturePointAt(QPointF(586.5, 10.2)), QPoint(586, 10));
    EXPECT_EQ(display.picturePointAt(QPointF(586.5, 350.0)), ImageDisplay::kNoPicturePoint);
    display.setReceptionActive(true);
    EXPECT_EQ(display.picturePointAt(QPointF(586.5, 10.2)), ImageDisplay::kNoPicturePoint);
    display.setReceptionActive(false);

    // column 86 + 500 of the image area holds 220 + 50 K
    emit display.pointerMoved(QPoint(86 + 500, 10));
    EXPECT_EQ(view.pointerText(), QString::fromUtf8("-3.1\u2103 (270.0 K)"));
    emit display.pointerMoved(ImageDisplay::kNoPicturePoint);
    EXPECT_TRUE(view.pointerText().isEmpty());

    view.choose(std::nullopt);
    EXPECT_EQ(display.picture(1).pixel(86 + 450, 150), grey.pixel(86 + 450, 150));
    view.clear();
    EXPECT_FALSE(choice->isEnabled());
}

}  // namespace
}  // namespace sorae
