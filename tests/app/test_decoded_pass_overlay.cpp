// The map overlay on the saved pictures of a decoded pass: a real NOAA 19
// pass over Spain and Morocco (2019-05-21, recording from 17:02:04 UTC),
// saved as its two JPEGs, gets coasts and grid drawn on in colour; a pass
// that cannot be placed keeps its plain pictures and says why.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "app/decoded_pass_overlay.h"
#include "common/qt_application.h"
#include "common/scratch_folder.h"
#include "geo/swath_geolocation.h"
#include "imaging/jpeg_file.h"
#include "imaging/qt/picture_overlay_painter.h"

using namespace sorae;

namespace {

constexpr double kRecordingStart = 1558458124.0;  // 2019-05-21 17:02:04 UTC

class DecodedPassOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::ensureApplication();
        QImage image(QStringLiteral(SORAE_TEST_DATA_DIR "/noaa19_20190521_170204Z_north-up.png"));
        ASSERT_FALSE(image.isNull());
        image = image.convertToFormat(QImage::Format_Grayscale8);
        rows_ = image.height();
        // Northbound, saved turned: the image words start at column 45 and
        // the first received line is the bottom row.
        const int first = ImageAreaFirstColumn(true);
        for (PictureBuffer* p : {&pictures_.pictureA, &pictures_.pictureB}) {
            p->resize(1040, rows_);
            for (int r = 0; r < rows_; ++r)
                for (int c = 0; c < kImageWords; ++c)
                    for (int k = 0; k < 3; ++k) p->row(r)[(first + c) * 3 + k] = image.constScanLine(r)[c];
        }
        pictures_.built = true;
        pictures_.rows = rows_;
        for (int line = 0; line < rows_; ++line) store_->setLineSeconds(line, 0.5 * line);
        for (const char* name : {"201905220202 19A.jpg", "201905220202 19B.jpg"}) {
            const std::string path = folder_.file(name);
            ASSERT_TRUE(SavePictureJpeg(pictures_.pictureA, path).ok);
            pictures_.filesWritten.push_back(path);
        }
        settings_.satellite = "NOAA 19";
        settings_.direction = 1;
        settings_.elementFile = SORAE_TEST_DATA_DIR "/noaa_2019-05-21.txt";
        settings_.worldMapFile = SORAE_SHARED_DATA_DIR "/AllWorld.map";
    }

    DecodedPass pass(std::optional<RecordingStart> start) const {
        return DecodedPass{folder_.file("recording.wav"), store_.get(), &pictures_, start};
    }

    testsupport::ScratchFolder folder_{"sorae-overlay-pass-"};
    std::unique_ptr<LineStore> store_ = std::make_unique<LineStore>();
    PassPictureResult pictures_;
    DecodedPassSettings settings_;
    int rows_ = 0;
};

bool Mentions(const std::vector<std::string>& notes, const std::string& text) {
    for (const auto& n : notes)
        if (n.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST_F(DecodedPassOverlayTest, SavedPicturesGetTheMapInColour) {
    const auto notes = OverlaySavedPictures(pass(RecordingStart{kRecordingStart, "--start", false}), settings_);
    for (const std::string& file : pictures_.filesWritten) {
        EXPECT_TRUE(Mentions(notes, "map overlay drawn on " + file));
        const JpegReadResult back = LoadJpegPicture(file);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(back.components, 3);
        EXPECT_EQ(back.picture.height, rows_);
        // Coasts (yellow: red and green well above blue) run through the
        // picture's image area only.
        int coast = 0, outside = 0;
        for (int r = 0; r < rows_; ++r) {
            for (int x = 0; x < 1040; ++x) {
                const std::uint8_t* bgr = back.picture.row(r) + 3 * x;
                if (std::min(bgr[1], bgr[2]) > bgr[0] + 80) (x >= 45 && x < 45 + kImageWords ? coast : outside)++;
            }
        }
        EXPECT_GT(coast, 200);
        EXPECT_EQ(outside, 0);
    }
    if (qEnvironmentVariableIsSet("SORAE_SHOT")) {
        QImage(QString::fromStdString(pictures_.filesWritten[0])).save(qEnvironmentVariable("SORAE_SHOT"));
    }
}

// Bad input: the plain pictures stay as saved and a note tells why.
TEST_F(DecodedPassOverlayTest, APassThatCannotBePlacedKeepsItsPlainPictures) {
    struct Case {
        const char* label;
        std::optional<std::string> satellite;
        bool withStart;
        std::string elementFile;
        const char* told;
    };
    const std::vector<Case> cases{
        {"no start time", "NOAA 19", false, settings_.elementFile, "start time"},
        {"no satellite", std::nullopt, true, settings_.elementFile, "satellite is unknown"},
        {"unknown satellite", "NOAA 15", true, settings_.elementFile, "no usable set of NOAA-15"},
        {"no element file", "NOAA 19", true, folder_.file("missing.txt"), "cannot read the element file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DecodedPassSettings s = settings_;
        s.satellite = c.satellite;
        s.elementFile = c.elementFile;
        const auto notes = OverlaySavedPictures(
            pass(c.withStart ? std::optional<RecordingStart>(RecordingStart{kRecordingStart, "--start", false})
                             : std::nullopt),
            s);
        EXPECT_TRUE(Mentions(notes, c.told)) << (notes.empty() ? "" : notes.front());
        EXPECT_FALSE(Mentions(notes, "map overlay drawn"));
        for (const std::string& file : pictures_.filesWritten) EXPECT_EQ(LoadJpegPicture(file).components, 1);
    }
}
