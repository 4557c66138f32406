// The map overlay drawn onto pictures and into the image area, and where
// the image area shows which picture pixel.
#include <gtest/gtest.h>

#include <QPainter>

#include "common/scratch_folder.h"
#include "imaging/jpeg_file.h"
#include "imaging/qt/picture_overlay_painter.h"
#include "imaging/view_placement.h"
#include "qt_test_app.h"

using namespace sorae;

namespace {

// A coast along row 50 from word 100 to 300, a border down word 500 from
// row 10 to 90, a grid parallel along row 20 with its label.
PictureOverlay SampleOverlay() {
    PictureOverlay o;
    o.lines.push_back({OverlayLineKind::Coast, {{100, 50}, {300, 50}}});
    o.lines.push_back({OverlayLineKind::Border, {{500, 10}, {500, 90}}});
    o.lines.push_back({OverlayLineKind::Grid, {{0, 20}, {908, 20}}});
    o.labels.push_back({{0, 20}, "40°N", true});
    return o;
}

bool Near(QRgb a, QColor b, int tolerance) {
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

}  // namespace

TEST(PictureOverlayPainter, LinesLandOnTheirPixelsInColour) {
    test::EnsureApplication();
    QImage picture(1040, 100, QImage::Format_RGB32);
    picture.fill(Qt::black);
    const OverlayStyle style;
    const OverlayDrawing drawing(SampleOverlay(), 86);  // image word 0 is picture column 86
    const QImage drawn = PictureWithOverlay(picture, drawing, style);

    struct Probe {
        int x, y;
        QColor expected;
    };
    const Probe probes[] = {
        {86 + 200, 50, style.coast}, {86 + 100, 50, style.coast}, {86 + 500, 50, style.border},
        {86 + 700, 20, style.grid},  {86 + 200, 49, Qt::black},   {86 + 200, 51, Qt::black},
        {86 + 320, 50, Qt::black},   {86 + 499, 50, Qt::black},   {86 + 500, 95, Qt::black},
    };
    for (const Probe& p : probes) {
        EXPECT_TRUE(Near(drawn.pixel(p.x, p.y), p.expected, 40))
            << p.x << "," << p.y << " is " << QColor(drawn.pixel(p.x, p.y)).name().toStdString();
    }
    // The label is drawn in the grid colour just above the left end of its parallel.
    int labelPixels = 0;
    for (int y = 5; y < 20; ++y)
        for (int x = 86; x < 130; ++x) labelPixels += Near(drawn.pixel(x, y), style.grid, 60);
    EXPECT_GT(labelPixels, 5);
    EXPECT_EQ(picture.pixel(286, 50), qRgb(0, 0, 0)) << "the original stays as it was";
}

// The live south-to-north view shows rows upward and columns mirrored; the
// stretched view scales both ways. A point of the picture drawn through the
// placement lands where the display shows that picture pixel.
TEST(PictureOverlayPainter, PlacementMapsPicturePixelsToTheArea) {
    struct Case {
        const char* label;
        ViewPlacement placement;
        PictureCoordinates picture;
        AreaCoordinates area;
    };
    const Case cases[] = {
        {"pictures 1:1, scrolled", PlacementOfPictures(1200, 600, false, 600, 2000, 300), {10.5, 310.5}, {90.5, 10.5}},
        {"pictures shorter than the view", PlacementOfPictures(1040, 600, false, 600, 200, 0), {0.5, 0.5}, {0.5, 200.5}},
        {"scroll offset past the end", PlacementOfPictures(1040, 600, false, 600, 1000, 5000), {0.5, 400.5}, {0.5, 0.5}},
        {"stretched to 520 wide", PlacementOfPictures(520, 300, true, 600, 2000, 0), {100, 200}, {50, 100}},
        {"live north to south", PlacementOfLiveView(1040, 600, false, 600, 1000, 0), {5.5, 999.5}, {5.5, 599.5}},
        {"live south to north", PlacementOfLiveView(1040, 600, false, 600, 1000, 1), {5.5, 999.5}, {1034.5, 0.5}},
        {"live south to north, stretched", PlacementOfLiveView(520, 300, true, 600, 1000, 1), {0, 1000}, {520, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const AreaCoordinates a = c.placement.toArea(c.picture);
        EXPECT_NEAR(a.x, c.area.x, 1e-9);
        EXPECT_NEAR(a.y, c.area.y, 1e-9);
        const auto back = c.placement.toPicture({a.x - 0.25 * c.placement.scaleX(), a.y - 0.25 * c.placement.scaleY()});
        if (c.picture.x > 0 && c.picture.x < 1040 && c.picture.row > 0 && c.picture.row < c.placement.pictureRows) {
            ASSERT_TRUE(back);
            EXPECT_NEAR(back->x, c.picture.x - 0.25, 1e-9);
            EXPECT_NEAR(back->row, c.picture.row - 0.25, 1e-9);
        }
    }
    // Off the picture: beside it when not stretched, above the live view's
    // first line, a row scrolled out of the view.
    EXPECT_FALSE(PlacementOfPictures(1200, 600, false, 600, 2000, 0).toPicture({50, 10}));
    EXPECT_FALSE(PlacementOfLiveView(1040, 600, false, 600, 100, 0).toPicture({10, 100}));
    EXPECT_FALSE(PlacementOfPictures(1040, 600, false, 600, 200, 0).toPicture({10, 50}));
    EXPECT_TRUE(PlacementOfPictures(1040, 600, false, 600, 200, 0).toPicture({10, 250}));

    // Drawn through the mirrored live placement, the coast of word 200 row
    // 50 shows at area column 1039 - 286 on the view row of line 50.
    test::EnsureApplication();
    const ViewPlacement live = PlacementOfLiveView(1040, 100, false, 100, 80, 1);
    QImage area(1040, 100, QImage::Format_RGB32);
    area.fill(Qt::black);
    QPainter painter(&area);
    const QTransform toArea(live.scaleX(), 0, 0, live.scaleY(), live.offsetX(), live.offsetY());
    OverlayDrawing(SampleOverlay(), 86).paint(painter, toArea);
    painter.end();
    EXPECT_TRUE(Near(area.pixel(1039 - 286, 79 - 50), OverlayStyle().coast, 40));
    EXPECT_TRUE(Near(area.pixel(286, 50), Qt::black, 0));
}

TEST(PictureOverlayPainter, ColourJpegIsWrittenOrTheOldFileKept) {
    test::EnsureApplication();
    testsupport::ScratchFolder folder("sorae-overlay-jpeg-");
    QImage picture(1040, 100, QImage::Format_RGB32);
    picture.fill(Qt::black);
    const QImage drawn = PictureWithOverlay(picture, OverlayDrawing(SampleOverlay(), 86));
    const std::string path = folder.file("202107142201 19A.jpg");
    std::string error;
    ASSERT_TRUE(SaveColourJpeg(drawn, path, &error)) << error;
    const JpegReadResult back = LoadJpegPicture(path);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.components, 3);
    EXPECT_EQ(back.picture.width, 1040);
    // Colour survives (the file's chroma is at half resolution, so a
    // one-pixel line keeps its hue, not its full saturation).
    const std::uint8_t* bgr = back.picture.row(50) + 3 * 286;
    EXPECT_GT(std::min<int>(bgr[2], bgr[1]), bgr[0] + 60) << int(bgr[2]) << " " << int(bgr[1]) << " " << int(bgr[0]);
    const std::uint8_t* off = back.picture.row(60) + 3 * 286;
    EXPECT_LT(off[0] + off[1] + off[2], 60);

    EXPECT_FALSE(SaveColourJpeg(drawn, folder.file("missing/x.jpg"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(SaveColourJpeg(QImage(), path, &error));
    EXPECT_TRUE(LoadJpegPicture(path).ok) << "a failed save leaves the old file";
}
