// The scratch folder helper: two folders of the same prefix never meet, and
// each is gone with everything in it once its test is over.
#include <gtest/gtest.h>

#include <fstream>

#include "common/scratch_folder.h"

namespace sorae::testsupport {
namespace {

TEST(ScratchFolderTest, FoldersAreDistinctAndRemovedWithTheirContents) {
    std::filesystem::path kept;
    {
        ScratchFolder a("sorae-scratch-");
        ScratchFolder b("sorae-scratch-");
        ASSERT_FALSE(a.path().empty());
        ASSERT_NE(a.path(), b.path());
        EXPECT_TRUE(std::filesystem::is_directory(a.path()));
        EXPECT_TRUE(std::filesystem::is_empty(a.path()));
        std::filesystem::create_directories(a.path() / "pics");
        std::ofstream(a.file("pics/x.jpg")) << "x";
        EXPECT_TRUE(std::filesystem::exists(a.path() / "pics" / "x.jpg"));
        kept = a.path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
}  // namespace sorae::testsupport
