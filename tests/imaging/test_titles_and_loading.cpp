#include <gtest/gtest.h>

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <filesystem>
#include <fstream>

#include "common/scratch_folder.h"
#include "imaging/jpeg_file.h"
#include "imaging/qt/outlined_text.h"
#include "imaging/qt/picture_image.h"
#include "qt_test_app.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

int CountPixels(const QImage& image, const QRect& area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
    return n;
}

QImage Mid(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    return image;
}

}  // namespace

TEST(OutlinedTextTest, AbsentFontsFallBackToAnInstalledFamily) {
    test::EnsureApplication();
    const QString family = ResolveFontFamily("Gulim");
    EXPECT_TRUE(QFontDatabase::hasFamily(family)) << family.toStdString();
    const QFont font = TextFont("Gulim", 24);
    EXPECT_EQ(font.pixelSize(), 32);
    EXPECT_EQ(QFontInfo(font).family(), family);
    EXPECT_EQ(TextFont("MS Gothic", 10).pixelSize(), 13);
}

TEST(OutlinedTextTest, TitleIsWhiteOutlinedInBlackAtItsTwoPositions) {
    test::EnsureApplication();
    QImage image = Mid(1040, 200);
    DrawPassTitle(image, "NOAA-18", " 2024/03/09 21:07 137.9125MHz N>S MaxElev:47.2deg");
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    // the name lies in the 32-pixel line from y = 24, the title in the 21-pixel line from y = 61
    EXPECT_GT(CountPixels(image, QRect(23, 23, 200, 35), white), 40);
    EXPECT_GT(CountPixels(image, QRect(23, 23, 200, 35), black), 40);
    EXPECT_GT(CountPixels(image, QRect(23, 60, 600, 24), white), 100);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 1040, 20), white), 0);   // nothing above
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 20, 200), white), 0);    // nor left of x = 23
    EXPECT_EQ(CountPixels(image, QRect(0, 90, 1040, 110), white), 0); // nor below the title
    // every white pixel of the text touches the black outline or other white
    int lonely = 0;
    for (int y = 24; y < 90; ++y)
        for (int x = 24; x < 1000; ++x)
            if (image.pixel(x, y) == white && image.pixel(x - 1, y) != black &&
                image.pixel(x + 1, y) != black && image.pixel(x, y - 1) != black &&
                image.pixel(x, y + 1) != black && image.pixel(x - 1, y) != white &&
                image.pixel(x + 1, y) != white)
                ++lonely;
    EXPECT_EQ(lonely, 0);
}

TEST(PictureImageTest, RoundTripsThroughQImageAndTitleDrawerWritesIntoTheBuffer) {
    test::EnsureApplication();
    PictureBuffer picture(1040, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 1040; ++x) SetPicturePixel(x, y, picture, LevelToGrey(6.0 * ((x + y) % 256)));
    const PictureBuffer back = ImageToPicture(PictureToImage(picture));
    EXPECT_EQ(back.bgr, picture.bgr);
    MakeTitleDrawer()(picture, "NOAA-15", " title");
    EXPECT_NE(picture.bgr, back.bgr);
    EXPECT_EQ(picture.grey(500, 110), back.grey(500, 110));  // far from the text: unchanged
}

TEST(PictureImageTest, LoadedPictureCarriesItsPathAndDamagedFilesFail) {
    test::EnsureApplication();
    const testsupport::ScratchFolder scratch("sorae-load-");
    const fs::path dir = scratch.path();
    PictureBuffer picture(1040, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 1040; ++x) SetPicturePixel(x, y, picture, LevelToGrey(6.0 * 100));
    const QString path = QString::fromStdString((dir / "20240309123418A.jpg").string());
    ASSERT_TRUE(SavePictureJpeg(picture, path.toStdString()).ok);

    const LoadedPicture loaded = LoadPictureFile(path);
    ASSERT_TRUE(loaded.ok) << loaded.error.toStdString();
    EXPECT_EQ(loaded.image.size(), QSize(1040, 300));
    EXPECT_GT(CountPixels(loaded.image, QRect(9, 4, 400, 16), qRgb(255, 255, 255)), 20);
    EXPECT_NEAR(qGreen(loaded.image.pixel(600, 200)), 100, 2);

    std::ofstream(dir / "bad.jpg") << "not a picture";
    const LoadedPicture bad = LoadPictureFile(QString::fromStdString((dir / "bad.jpg").string()));
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.error.isEmpty());
}
