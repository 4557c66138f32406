#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/scratch_folder.h"
#include "common/atomic_file.h"
#include "imaging/jpeg_file.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

PictureBuffer Gradient(int w, int h) {
    PictureBuffer p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned g = unsigned((x / 4 + y * 2) % 256);
            SetPicturePixel(x, y, p, g | g << 8 | g << 16);
        }
    return p;
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class JpegFileTest : public ::testing::Test {
protected:
    testsupport::ScratchFolder scratch{"sorae-jpeg-"};
    const fs::path dir = scratch.path();
};

}  // namespace

TEST_F(JpegFileTest, WritesGreyBaselineFullSizeAndReadsBackClosely) {
    const PictureBuffer picture = Gradient(1040, 37);
    const fs::path path = dir / "picture.jpg";
    const JpegWriteResult written = SavePictureJpeg(picture, path.string());
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_FALSE(fs::exists(path.string() + ".part"));

    // the frame header itself: SOF0 (baseline), 8 bits, 37 x 1040, one component
    const auto bytes = ReadBytes(path);
    bool sof0 = false;
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] >= 0xC1 && bytes[i + 1] <= 0xCF && bytes[i + 1] != 0xC4 &&
            bytes[i + 1] != 0xC8 && bytes[i + 1] != 0xCC)
            ADD_FAILURE() << "non-baseline frame marker " << int(bytes[i + 1]);
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            sof0 = true;
            EXPECT_EQ(bytes[i + 4], 8);
            EXPECT_EQ(bytes[i + 5] << 8 | bytes[i + 6], 37);
            EXPECT_EQ(bytes[i + 7] << 8 | bytes[i + 8], 1040);
            EXPECT_EQ(bytes[i + 9], 1);
            break;
        }
    }
    EXPECT_TRUE(sof0);

    const JpegReadResult back = LoadJpegPicture(path.string());
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.components, 1);
    EXPECT_TRUE(back.baseline);
    EXPECT_FALSE(back.progressive);
    ASSERT_EQ(back.picture.width, 1040);
    ASSERT_EQ(back.picture.height, 37);
    int worst = 0;
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 1040; ++x) {
            const std::uint8_t* px = back.picture.row(y) + x * 3;
            EXPECT_TRUE(px[0] == px[1] && px[1] == px[2]);
            worst = std::max(worst, std::abs(int(px[1]) - picture.grey(x, y)));
        }
    EXPECT_LE(worst, 3);
}

TEST_F(JpegFileTest, ReplacesAnExistingFile) {
    const fs::path path = dir / "again.jpg";
    WriteBytes(path, std::vector<unsigned char>(100000, 0x55));
    ASSERT_TRUE(SavePictureJpeg(Gradient(64, 8), path.string()).ok);
    const JpegReadResult back = LoadJpegPicture(path.string());
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.picture.width, 64);
}

TEST_F(JpegFileTest, UnwritablePlacesAndEmptyPicturesAreErrors) {
    const JpegWriteResult noFolder =
        SavePictureJpeg(Gradient(16, 16), (dir / "missing" / "x.jpg").string());
    EXPECT_FALSE(noFolder.ok);
    EXPECT_FALSE(noFolder.error.empty());
    EXPECT_FALSE(SavePictureJpeg(PictureBuffer(), (dir / "empty.jpg").string()).ok);
    EXPECT_FALSE(fs::exists(dir / "empty.jpg"));
    fs::create_directories(dir / "taken.jpg");  // a folder in the way of the rename
    EXPECT_FALSE(SavePictureJpeg(Gradient(16, 16), (dir / "taken.jpg").string()).ok);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_FALSE(IsAtomicTemporaryName(entry.path().filename().string())) << entry.path();
}

TEST_F(JpegFileTest, DamagedFilesGiveErrorsNotCrashes) {
    const fs::path good = dir / "good.jpg";
    ASSERT_TRUE(SavePictureJpeg(Gradient(200, 120), good.string()).ok);
    const auto bytes = ReadBytes(good);

    EXPECT_FALSE(LoadJpegPicture((dir / "nothing-here.jpg").string()).ok);

    WriteBytes(dir / "empty.jpg", {});
    EXPECT_FALSE(LoadJpegPicture((dir / "empty.jpg").string()).ok);

    WriteBytes(dir / "head.jpg", std::vector<unsigned char>(bytes.begin(), bytes.begin() + 40));
    EXPECT_FALSE(LoadJpegPicture((dir / "head.jpg").string()).ok);

    WriteBytes(dir / "half.jpg",
               std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(bytes.size() / 2)));
    const JpegReadResult half = LoadJpegPicture((dir / "half.jpg").string());
    EXPECT_FALSE(half.ok);
    EXPECT_FALSE(half.error.empty());
    EXPECT_TRUE(half.picture.empty());

    std::vector<unsigned char> text(5000);
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<unsigned char>(i * 31 + 7);
    WriteBytes(dir / "noise.jpg", text);
    EXPECT_FALSE(LoadJpegPicture((dir / "noise.jpg").string()).ok);

    // a header claiming 65000 x 65000 pixels is refused before any allocation
    auto huge = bytes;
    for (std::size_t i = 0; i + 9 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 7] = 0xFD;
            huge[i + 6] = huge[i + 8] = 0xE8;
            break;
        }
    WriteBytes(dir / "huge.jpg", huge);
    EXPECT_FALSE(LoadJpegPicture((dir / "huge.jpg").string()).ok);
}
