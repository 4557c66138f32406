#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/scratch_folder.h"
#include "imaging/jpeg_file.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

// Grey level the fixture stores at one word of one line (raw = level * 6 + 3).
int FixtureGrey(int channel, int word, int line) {
    return channel == 0 ? (word + 3 * line) % 256 : 255 - (word * 7 + line) % 256;
}

std::unique_ptr<LineStore> MakeStore(int lines, int firstSync, int lastSync) {
    auto store = std::make_unique<LineStore>();
    for (int ch = 0; ch < 2; ++ch)
        for (int w = 0; w < kWordsPerChannel; ++w)
            for (int l = 0; l < lines; ++l) store->at(ch, w, l) = FixtureGrey(ch, w, l) * 6 + 3;
    store->lineCount = lines;
    store->firstSyncLine = firstSync;
    store->lastSyncLine = lastSync;
    return store;
}

class PassPicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        in.pass.satelliteName = "NOAA-18";
        in.pass.frequencyMHz = 137.9125;
        in.pass.direction = 0;
        in.pass.maxElevationDeg = 47.25;
        in.pass.maxElevationTime = DayCountFromCivil(2024, 3, 9, 21, 7, 40);
        in.processingTime = DayCountFromCivil(2025, 1, 2, 3, 4, 59);
        in.picsFolder = (folder / "pics").string();
        in.rules.minScanLine = 10;
        in.calibrated = true;  // the raw levels as they are, unless a test says otherwise
    }

    PassPictureResult Build() {
        texts.clear();
        titles.clear();
        return BuildPassPictures(
            in, [&](const std::string& t) { texts.push_back(t); },
            [&](PictureBuffer& p, const std::string& sat, const std::string& line) {
                titles.push_back(sat + "|" + line);
                SetPicturePixel(0, 0, p, 0xFFFFFF);  // mark the picture as titled
            });
    }

    testsupport::ScratchFolder scratch{"sorae-pics-"};
    const fs::path folder = scratch.path();
    PassPictureInputs in;
    std::vector<std::string> texts;
    std::vector<std::string> titles;
};

}  // namespace

TEST(LevelToGreyTest, ClampsTruncatesAndWhitensOutOfRange) {
    EXPECT_EQ(LevelToGrey(-50.0), 0x000000u);
    EXPECT_EQ(LevelToGrey(11.99), 0x010101u);  // 1.998 truncated
    EXPECT_EQ(LevelToGrey(1530.0), 0xFFFFFFu);
    EXPECT_EQ(LevelToGrey(1e9), 0xFFFFFFu);
    EXPECT_EQ(LevelToGrey(6.0 * 128), 0x808080u);
}

TEST(SetPicturePixelTest, WritesBlueGreenRedAndIgnoresOutside) {
    PictureBuffer p(4, 3);
    SetPicturePixel(2, 1, p, 0x00112233);
    const std::uint8_t* px = p.row(1) + 6;
    EXPECT_EQ(px[0], 0x11);
    EXPECT_EQ(px[1], 0x22);
    EXPECT_EQ(px[2], 0x33);
    const auto before = p.bgr;
    SetPicturePixel(-1, 0, p, 0xFFFFFF);
    SetPicturePixel(4, 0, p, 0xFFFFFF);
    SetPicturePixel(0, 3, p, 0xFFFFFF);
    EXPECT_EQ(p.bgr, before);
}

TEST(PictureNamingTest, StampSatellitePartAndPaths) {
    const CivilMinute t = CivilMinuteFromDayCount(DayCountFromCivil(2024, 2, 29, 23, 59, 59));
    EXPECT_EQ(FormatFileStamp(t), "202402292359");
    EXPECT_EQ(FormatTitleTime(t), "2024/02/29 23:59");
    EXPECT_EQ(FormatFileStamp(CivilMinuteFromDayCount(0.0)), "189912300000");
    EXPECT_EQ(SatellitePart("NOAA-18", false), "18");
    EXPECT_EQ(SatellitePart("NOAA-9", false), "09");
    EXPECT_EQ(SatellitePart("NOAA-118", false), "");
    EXPECT_EQ(SatellitePart("METEOR", false), "0R");  // only the length decides
    EXPECT_EQ(SatellitePart("NOAA-18", true), "MN");
    EXPECT_EQ(PictureFilePath("/x/pics", "202401020304", "18", 0), "/x/pics/20240102030418A.jpg");
    EXPECT_EQ(PictureFilePath("/x/pics/", "202401020304", "", 1), "/x/pics/202401020304B.jpg");
    EXPECT_EQ(PictureFilePath("/x/pics", "202401020304", "MN", 1, 2), "/x/pics/202401020304MNB-2.jpg");
}

TEST(PictureNamingTest, TitleLineNamesTheSensorOnlyOnceKnown) {
    const CivilMinute t{2024, 3, 9, 21, 7};
    EXPECT_EQ(FormatTitleLine(t, 137.9125, "N>S", 47.25, "CH 4 (IR)"),
              " 2024/03/09 21:07 137.9125MHz N>S MaxElev:47.2deg Senser:CH 4 (IR)");
    EXPECT_EQ(FormatTitleLine(t, 137.62, "S>N", 5.0, "Senser Type"),
              " 2024/03/09 21:07 137.6200MHz S>N MaxElev:5.0deg");
    // a recording decoded without its pass's elevation
    EXPECT_EQ(FormatTitleLine(t, 137.1, "N>S", std::nan(""), "CH 4 (IR)"),
              " 2024/03/09 21:07 137.1000MHz N>S Senser:CH 4 (IR)");
}

TEST_F(PassPicturesTest, NothingSynchronisedMakesNoPicture) {
    auto store = MakeStore(50, kNoSyncLine, 0);
    in.store = store.get();
    const PassPictureResult r = Build();
    EXPECT_FALSE(r.built);
    EXPECT_TRUE(r.pictureA.empty());
    EXPECT_TRUE(r.filesWritten.empty());
    EXPECT_FALSE(fs::exists(in.picsFolder));
}

TEST_F(PassPicturesTest, CutSpanIsTheSynchronisedLinesNorthToSouth) {
    auto store = MakeStore(60, 7, 40);
    in.store = store.get();
    in.rules.picSave = false;
    const PassPictureResult r = Build();
    ASSERT_TRUE(r.built);
    EXPECT_EQ(r.firstLine, 7);
    ASSERT_EQ(r.rows, 33);
    ASSERT_EQ(r.pictureA.width, 1040);
    ASSERT_EQ(r.pictureA.height, 33);
    for (int row : {1, 16, 32})
        for (int x : {0, 1, 500, 1039}) {
            EXPECT_EQ(r.pictureA.grey(x, row), FixtureGrey(0, x, 7 + row)) << x << "," << row;
            EXPECT_EQ(r.pictureB.grey(x, row), FixtureGrey(1, x, 7 + row)) << x << "," << row;
        }
    EXPECT_EQ(r.displayHeight(), 33);
}

TEST_F(PassPicturesTest, WithoutCutTheWholePassFromLineZeroIsUsed) {
    auto store = MakeStore(60, 7, 40);
    in.store = store.get();
    in.rules.picCut = false;
    in.rules.picSave = false;
    const PassPictureResult r = Build();
    EXPECT_EQ(r.firstLine, 0);
    ASSERT_EQ(r.rows, 60);
    EXPECT_EQ(r.pictureA.grey(100, 0), FixtureGrey(0, 100, 0));
    EXPECT_EQ(r.pictureB.grey(100, 59), FixtureGrey(1, 100, 59));
}

TEST_F(PassPicturesTest, SouthToNorthIsTheNorthToSouthPictureTurnedHalfRound) {
    auto store = MakeStore(45, 3, 41);
    in.store = store.get();
    in.rules.picSave = false;
    in.rules.addText = false;
    const PassPictureResult north = Build();
    in.direction = 1;
    const PassPictureResult south = Build();
    ASSERT_EQ(south.rows, north.rows);
    const int n = north.rows;
    bool same = true;
    for (int r = 0; r < n && same; ++r)
        for (int x = 0; x < 1040 && same; ++x)
            same = south.pictureA.grey(1039 - x, n - 1 - r) == north.pictureA.grey(x, r) &&
                   south.pictureB.grey(1039 - x, n - 1 - r) == north.pictureB.grey(x, r);
    EXPECT_TRUE(same);
    EXPECT_NE(south.pictureA.bgr, north.pictureA.bgr);
}

TEST_F(PassPicturesTest, CalibrationMapsRawSamplesToLevels) {
    auto store = MakeStore(30, 0, 20);
    in.store = store.get();
    in.rules.picSave = false;
    in.calibrationGain = 0.5;
    in.calibrationOffset = -60.0;  // level = raw / 2 + 60, grey = (raw/2 + 60) / 6
    const PassPictureResult r = Build();
    const double raw = store->at(0, 10, 5);
    EXPECT_EQ(r.pictureA.grey(10, 5), int((raw * 0.5 + 60.0) / 6.0));
}

TEST_F(PassPicturesTest, EmptySpanGivesEmptyPicturesWithoutProgressTitleOrFile) {
    auto store = MakeStore(30, 12, 12);
    in.store = store.get();
    in.rules.minScanLine = 0;
    const PassPictureResult r = Build();
    EXPECT_TRUE(r.built);
    EXPECT_EQ(r.rows, 0);
    EXPECT_EQ(r.pictureA.height, 0);
    EXPECT_EQ(r.pictureB.height, 0);
    EXPECT_TRUE(titles.empty());
    EXPECT_TRUE(r.filesWritten.empty());
    EXPECT_EQ(texts, std::vector<std::string>{""});
}

TEST_F(PassPicturesTest, MinScanLineRowsAreKeptButNotTitledOrSaved) {
    auto store = MakeStore(60, 0, 10);  // exactly MinScanLine (10) rows
    in.store = store.get();
    PassPictureResult r = Build();
    EXPECT_EQ(r.rows, 10);
    EXPECT_TRUE(titles.empty());
    EXPECT_TRUE(r.filesWritten.empty());
    EXPECT_FALSE(r.refreshBrowser);
    EXPECT_EQ(r.pictureA.height, 10);

    store->lastSyncLine = 11;  // one row more: title and both files
    r = Build();
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0],
              "NOAA-18| 2024/03/09 21:07 137.9125MHz N>S MaxElev:47.2deg");
    const std::vector<std::string> expected{in.picsFolder + "/20240309210718A.jpg",
                                            in.picsFolder + "/20240309210718B.jpg"};
    EXPECT_EQ(r.filesWritten, expected);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(r.refreshBrowser);
    for (const auto& path : expected) {
        const JpegReadResult back = LoadJpegPicture(path);
        ASSERT_TRUE(back.ok) << back.error;
        EXPECT_EQ(back.picture.height, 11);
        EXPECT_EQ(back.picture.grey(0, 0), 255);  // the title mark went into the file
    }
}

TEST_F(PassPicturesTest, KnownSensorsAppearInTheirChannelsTitle) {
    auto store = MakeStore(30, 0, 20);
    in.store = store.get();
    in.rules.picSave = false;
    in.sensorNameA = "CH 2 (VIS)";
    in.pass.direction = 1;
    Build();
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0],
              "NOAA-18| 2024/03/09 21:07 137.9125MHz S>N MaxElev:47.2deg Senser:CH 2 (VIS)");
    EXPECT_EQ(titles[1], "NOAA-18| 2024/03/09 21:07 137.9125MHz S>N MaxElev:47.2deg");
}

TEST_F(PassPicturesTest, ManualPairIsStampedNowEndsInMNAndHasNoTitle) {
    auto store = MakeStore(30, 0, 20);
    in.store = store.get();
    in.manual = true;
    const PassPictureResult r = Build();
    EXPECT_TRUE(titles.empty());
    EXPECT_FALSE(r.titled);
    ASSERT_EQ(r.filesWritten.size(), 2u);
    EXPECT_EQ(fs::path(r.filesWritten[0]).filename(), "202501020304MNA.jpg");
    EXPECT_EQ(fs::path(r.filesWritten[1]).filename(), "202501020304MNB.jpg");
}

TEST_F(PassPicturesTest, SatelliteNameLengthDecidesTheFileName) {
    auto store = MakeStore(30, 0, 20);
    in.store = store.get();
    in.rules.addText = false;
    in.pass.satelliteName = "NOAA-9";
    PassPictureResult r = Build();
    ASSERT_EQ(r.filesWritten.size(), 2u);
    EXPECT_EQ(fs::path(r.filesWritten[0]).filename(), "20240309210709A.jpg");
    in.pass.satelliteName = "NOAA-123";
    r = Build();
    ASSERT_EQ(r.filesWritten.size(), 2u);
    EXPECT_EQ(fs::path(r.filesWritten[1]).filename(), "202403092107B.jpg");
}

TEST_F(PassPicturesTest, ProgressRunsFromZeroTo99ThenChannelSteps) {
    auto store = MakeStore(500, 0, 400);
    in.store = store.get();
    Build();
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ(texts.front(), "");
    EXPECT_EQ(texts.back(), "");
    EXPECT_EQ(texts[1], "N>S 画像処理中 0%");
    std::vector<int> percents;
    const std::string prefix = "N>S 画像処理中 ";
    for (const auto& t : texts)
        if (t.rfind(prefix, 0) == 0) percents.push_back(std::stoi(t.substr(prefix.size())));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 99);
    const std::vector<std::string> tail(texts.end() - 5, texts.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"ChA 画像処理中...", "ChA Jpeg画像処理中...",
                                              "ChB 画像処理中...", "ChB Jpeg画像処理中...", ""}));
}

TEST_F(PassPicturesTest, PicsFolderIsCreatedWhenMissing) {
    auto store = MakeStore(30, 0, 20);
    in.store = store.get();
    in.picsFolder = (folder / "deeper" / "pics").string();
    const PassPictureResult r = Build();
    EXPECT_EQ(r.filesWritten.size(), 2u);
    EXPECT_TRUE(fs::is_directory(in.picsFolder));
}

TEST_F(PassPicturesTest, UnwritableFolderIsReportedAndBothChannelsStillBuilt) {
    auto store = MakeStore(30, 0, 20);
    in.store = store.get();
    fs::create_directories(folder);
    std::ofstream(folder / "plainfile") << "x";
    in.picsFolder = (folder / "plainfile" / "pics").string();  // a folder inside a file
    const PassPictureResult r = Build();
    EXPECT_TRUE(r.filesWritten.empty());
    ASSERT_EQ(r.errors.size(), 2u);
    EXPECT_NE(r.errors[1].find("B.jpg"), std::string::npos);
    // the reason is the one creating the folder met, not a later look-up's
    const std::string reason = std::make_error_code(std::errc::not_a_directory).message();
    EXPECT_NE(r.errors[0].find(reason), std::string::npos) << r.errors[0];
    EXPECT_FALSE(r.refreshBrowser);
    EXPECT_EQ(r.pictureB.height, 20);
    EXPECT_EQ(titles.size(), 2u);
}

TEST_F(PassPicturesTest, SyncMarksBeyondTheStoredLinesAreClamped) {
    auto store = MakeStore(30, 5, 2399);  // last sync beyond the stored lines
    in.store = store.get();
    in.rules.picSave = false;
    const PassPictureResult r = Build();
    EXPECT_EQ(r.rows, 25);
    EXPECT_EQ(r.pictureA.grey(3, 24), FixtureGrey(0, 3, 29));
}

TEST(ResetPassPicturesTest, PicturesBecomeBlackAreaSized) {
    PictureBuffer a(5, 5), b;
    SetPicturePixel(1, 1, a, 0xFFFFFF);
    ResetPassPictures(a, b, 480);
    EXPECT_EQ(a.width, 1040);
    EXPECT_EQ(b.height, 480);
    EXPECT_EQ(a.grey(1, 1), 0);
}
