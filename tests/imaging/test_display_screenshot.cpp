#include <gtest/gtest.h>

#include <QDir>
#include <array>
#include <cmath>
#include <memory>

#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"
#include "imaging/qt/image_display.h"
#include "imaging/qt/picture_image.h"
#include "qt_test_app.h"

using namespace sorae;

namespace {

// Grey level of picture row r in the stripe of columns 500..539.
int StripeGrey(int r) { return 20 + r % 200; }

// A pass of 700 lines: a bright disc and soft bands, with a row-coded stripe.
std::unique_ptr<LineStore> GeneratedPass() {
    auto store = std::make_unique<LineStore>();
    for (int ch = 0; ch < 2; ++ch)
        for (int w = 0; w < kWordsPerChannel; ++w)
            for (int l = 0; l < 700; ++l) {
                double g;
                if (w >= 500 && w < 540) {
                    g = StripeGrey(l);
                } else {
                    const double d = std::hypot(w - 300.0, l - 380.0);
                    g = d < 180 ? 230 - d / 2 : 60 + 40 * std::sin(l / 25.0 + w / 90.0);
                    if (ch == 1) g = 255 - g;
                }
                store->at(ch, w, l) = 6.0 * g + 3;
            }
    store->lineCount = 700;
    store->firstSyncLine = 0;
    store->lastSyncLine = 700;
    return store;
}

}  // namespace

TEST(DisplayScreenshotTest, DecodedPictureRowsLandOnTheExpectedScreenRows) {
    test::EnsureApplication();
    auto store = GeneratedPass();
    PassPictureInputs in;
    in.store = store.get();
    in.rules.picSave = false;
    in.rules.minScanLine = 100;
    in.calibrated = true;  // the stored levels as grey, not stretched
    in.sensorNameA = "CH 2 (VIS)";
    in.pass.satelliteName = "NOAA-19";
    in.pass.frequencyMHz = 137.1;
    in.pass.maxElevationDeg = 62.4;
    in.pass.maxElevationTime = DayCountFromCivil(2024, 3, 9, 12, 34);
    const PassPictureResult pictures = BuildPassPictures(in, {}, MakeTitleDrawer());
    ASSERT_EQ(pictures.rows, 700);

    ImageDisplay display;
    display.resize(1040, 600);
    display.show();
    display.setPictures(PictureToImage(pictures.pictureA), PictureToImage(pictures.pictureB));
    QImage shot = display.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1040, 600));
    shot.save(QDir(SORAE_BINARY_DIR).filePath("imaging_display_1to1.png"));
    for (int y : {150, 299, 599}) EXPECT_NEAR(qGreen(shot.pixel(520, y)), StripeGrey(y), 2) << y;
    int white = 0;  // the title is there
    for (int x = 24; x < 300; ++x) white += shot.pixel(x, 40) == qRgb(255, 255, 255);
    EXPECT_GT(white, 10);

    display.resize(1300, 600);  // stretched: 1.25 screen pixels per picture pixel
    display.setStretch(true);
    display.setPictures(PictureToImage(pictures.pictureA), PictureToImage(pictures.pictureB));
    shot = display.grab().toImage();
    shot.save(QDir(SORAE_BINARY_DIR).filePath("imaging_display_stretched.png"));
    ASSERT_EQ(display.viewHeight(), 480);
    for (int y : {150, 300, 599}) {
        const int row = int(y / 1.25);
        const int g = qGreen(shot.pixel(int(520 * 1.25), y));
        EXPECT_TRUE(std::abs(g - StripeGrey(row)) <= 2 || std::abs(g - StripeGrey(row + 1)) <= 2 ||
                    std::abs(g - StripeGrey(row - 1)) <= 2)
            << y << " " << g;
    }
}

TEST(DisplayScreenshotTest, ShowingAnUnsynchronisedPassKeepsTheLiveView) {
    test::EnsureApplication();
    ImageDisplay display;
    display.resize(1040, 100);
    display.show();
    display.resetForNewPass();
    std::array<double, 1040> line{};
    line.fill(6.0 * 90);
    display.appendLiveLine(line.data(), line.data(), 0);
    LineStore store;
    PassPictureInputs in;
    in.store = &store;  // nothing synchronised
    const PassPictureResult none = BuildPassPictures(in, {}, {});
    ShowBuiltPictures(display, none);
    EXPECT_EQ(qGreen(display.screenImage().pixel(3, 99)), 90);
    EXPECT_EQ(display.pictureHeight(), 0);

    store.lineCount = 40;
    store.firstSyncLine = 4;
    store.lastSyncLine = 4;  // synchronised, but an empty span
    in.rules.minScanLine = 0;
    const PassPictureResult empty = BuildPassPictures(in, {}, {});
    ASSERT_TRUE(empty.built);
    ShowBuiltPictures(display, empty);
    EXPECT_EQ(display.pictureHeight(), 0);
    EXPECT_EQ(display.screenImage().pixel(3, 99), qRgb(0, 0, 0));
}
