#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/scratch_folder.h"
#include "imaging/pass_outcome.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"

using namespace sorae;

namespace {

struct OutcomeCase {
    const char* name;
    int lines;          // lines in the store, all synchronised (0: never synchronised)
    int minScanLine;
    bool picSave;
    bool folderWritable;
    std::string expected;  // what the line starts with
    bool namesFiles;       // the line holds the two picture names
};

class PassOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

// The line is made from a real build, so that it follows what was really
// saved and not what the rules would predict.
TEST_P(PassOutcomeTest, SaysWhatWasSavedOrWhy) {
    const OutcomeCase& c = GetParam();
    testsupport::ScratchFolder folder;
    auto store = std::make_unique<LineStore>();
    store->lineCount = c.lines;
    if (c.lines > 0) {
        store->firstSyncLine = 0;
        store->lastSyncLine = c.lines;
    }
    PassPictureInputs in;
    in.store = store.get();
    in.rules.minScanLine = c.minScanLine;
    in.rules.picSave = c.picSave;
    in.calibrated = true;
    in.pass.satelliteName = "NOAA-19";
    in.pass.maxElevationTime = DayCountFromCivil(2026, 12, 9, 12, 30, 0);
    // A plain file where the folder should be: it cannot be made.
    in.picsFolder = c.folderWritable ? folder.file("pics") : folder.file("blocked/pics");
    if (!c.folderWritable) {
        FILE* f = std::fopen(folder.file("blocked").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    const PassPictureResult result = BuildPassPictures(in, {}, {});
    const std::string text = PassOutcomeText(result, in.rules);
    EXPECT_EQ(text.substr(0, c.expected.size()), c.expected) << text;
    const std::string stem = result.fileStamp + result.satellitePart;
    if (c.namesFiles) {
        ASSERT_EQ(result.filesWritten.size(), 2u);
        EXPECT_NE(text.find(stem + "A.jpg"), std::string::npos) << text;
        EXPECT_NE(text.find(stem + "B.jpg"), std::string::npos) << text;
        EXPECT_EQ(text.find(in.picsFolder), std::string::npos) << "names only, not the folder";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Passes, PassOutcomeTest,
    ::testing::Values(
        OutcomeCase{"NeverSynchronised", 0, 360, true, true, "同期が取れなかったため", false},
        OutcomeCase{"ShortReplay", 355, 360, true, true,
                    "355行: 最小行数 360 未満のため保存しません (画像設定の「画像化に必要な最低ライン数」で変更)",
                    false},
        OutcomeCase{"ExactlyTheMinimum", 360, 360, true, true, "360行: 最小行数 360 以下のため保存しません",
                    false},
        OutcomeCase{"Saved", 361, 360, true, true, "361行: 保存しました ", true},
        OutcomeCase{"SavingSwitchedOff", 400, 360, false, true,
                    "400行: 画像設定の「画像ファイルを作成して保存する」がオフ", false},
        OutcomeCase{"FolderCannotBeMade", 400, 360, true, false, "400行: 画像ファイルを保存できません",
                    false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
