#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/scratch_folder.h"
#include "imaging/past_picture_list.h"

using namespace sorae;

TEST(PastPictureListTest, PairsMergeWhicheverFileComesFirst) {
    const std::vector<std::string> expected{"12:34 NOAA-18 CH-A CH-B"};
    EXPECT_EQ(BuildDayEntries({"20240309123418A.jpg", "20240309123418B.jpg"}, 2024, 3, 9), expected);
    EXPECT_EQ(BuildDayEntries({"20240309123418B.jpg", "20240309123418A.jpg"}, 2024, 3, 9), expected);
}

TEST(PastPictureListTest, PassesOfTheSameMinuteStayApartAndOpen) {
    // Numbered pairs ("...A-2.jpg", saved when the name was taken) are passes
    // of their own; names that only look numbered are not pictures.
    const std::vector<std::string> names{"202403091234MNA.jpg", "20240309123415A.jpg",  "202403091234MNB.jpg",
                                         "20240309123418B-2.jpg", "20240309123415B.jpg", "20240309123418A-3.jpg",
                                         "20240309123418B.jpg",   "20240309123418A-2.jpg", "20240309123418A-.jpg",
                                         "20240309123418A-1.jpg", "20240309123418A-x2.jpg"};
    const std::vector<std::string> expected{"12:34 MANUAL  CH-A CH-B", "12:34 NOAA-15 CH-A CH-B",
                                            "12:34 NOAA-18 CH-A (3)", "12:34 NOAA-18 CH-A CH-B (2)",
                                            "12:34 NOAA-18 CH-B"};
    const auto entries = BuildDayEntries(names, 2024, 3, 9);
    ASSERT_EQ(entries, expected);
    struct Files {
        const char* stamp;
        bool a, b;
        int occurrence;
    };
    const Files files[] = {{"202403091234MN", true, true, 1}, {"20240309123415", true, true, 1},
                           {"20240309123418", true, false, 3}, {"20240309123418", true, true, 2},
                           {"20240309123418", false, true, 1}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i]);
        const auto back = FilesOfEntry(entries[i], 2024, 3, 9);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->stamp, files[i].stamp);
        EXPECT_EQ(back->loadA, files[i].a);
        EXPECT_EQ(back->loadB, files[i].b);
        EXPECT_EQ(back->occurrence, files[i].occurrence);
    }
}

TEST(PastPictureListTest, ManualLoneChannelShortNamesAndOtherDays) {
    const std::vector<std::string> names{
        "202403092301MNB.jpg", "202403090805MNA.jpg",  // manual pair
        "202403092301MNA.jpg", "20240309065919B.jpg",  // lone B
        "202403091010A.jpg",                           // no satellite part: 17 characters
        "20240310123418A.jpg",                         // another day
        "20240309123418A.png", "notes.txt"};
    const std::vector<std::string> expected{"06:59 NOAA-19 CH-B", "08:05 MANUAL  CH-A",
                                            "23:01 MANUAL  CH-A CH-B"};
    EXPECT_EQ(BuildDayEntries(names, 2024, 3, 9), expected);
}

TEST(PastPictureListTest, EntriesLeadBackToTheirFiles) {
    auto pair = FilesOfEntry("12:34 NOAA-18 CH-A CH-B", 2024, 3, 9);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->stamp, "20240309123418");
    EXPECT_TRUE(pair->loadA);
    EXPECT_TRUE(pair->loadB);
    auto manual = FilesOfEntry("23:01 MANUAL  CH-A CH-B", 2024, 3, 9);
    ASSERT_TRUE(manual);
    EXPECT_EQ(manual->stamp, "202403092301MN");
    auto loneB = FilesOfEntry("06:59 NOAA-09 CH-B", 2024, 12, 1);
    ASSERT_TRUE(loneB);
    EXPECT_EQ(loneB->stamp, "20241201065909");
    EXPECT_FALSE(loneB->loadA);
    EXPECT_TRUE(loneB->loadB);
    auto loneA = FilesOfEntry("06:59 NOAA-09 CH-A", 2024, 12, 1);
    EXPECT_TRUE(loneA->loadA);
    EXPECT_FALSE(loneA->loadB);
    EXPECT_FALSE(FilesOfEntry("06:59", 2024, 12, 1));
}

TEST(PastPictureListTest, MissingFolderLeavesTheListAlone) {
    const testsupport::ScratchFolder scratch("sorae-list-");
    const auto dir = scratch.path() / "missing";
    EXPECT_FALSE(ListDayEntries(dir.string(), 2024, 3, 9));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "20240309123418B.jpg") << "x";
    const auto entries = ListDayEntries(dir.string(), 2024, 3, 9);
    ASSERT_TRUE(entries);
    EXPECT_EQ(*entries, std::vector<std::string>{"12:34 NOAA-18 CH-B"});
}
