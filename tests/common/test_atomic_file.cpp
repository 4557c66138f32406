#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/atomic_file.h"
#include "common/scratch_folder.h"
#include "common/small_tmpfs.h"

namespace sorae {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int temporariesIn(const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (IsAtomicTemporaryName(e.path().filename().string())) ++n;
    return n;
}

// A replacement either happens whole or leaves the old file exactly as it
// was, with no temporary behind.
TEST(AtomicFile, ReplacementIsWholeOrNothing) {
    testsupport::SmallTmpfs disk;
    testsupport::ScratchFolder scratch;
    if (!disk.available()) GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    const std::string big(20000, 'n');
    struct Case {
        const char* what;
        std::string folder;
        std::string name;
        bool fillDisk;
        bool folderInTheWay;
        bool written;
    } cases[] = {
        {"room enough", scratch.path().string(), "a.txt", false, false, true},
        {"disk full", disk.path(), "b.txt", true, false, false},
        {"folder missing", scratch.file("missing"), "c.txt", false, false, false},
        {"a folder of that name", scratch.path().string(), "d", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = c.folder + "/" + c.name;
        if (c.folderInTheWay) fs::create_directory(target);
        else if (fs::exists(c.folder)) std::ofstream(target, std::ios::binary) << "GOOD";
        if (c.fillDisk) disk.fill();
        const FileWriteResult r = WriteFileAtomically(target, big);
        EXPECT_EQ(r.ok, c.written) << r.error;
        EXPECT_EQ(r.error.empty(), c.written) << r.error;
        if (!fs::exists(c.folder)) continue;
        if (!c.folderInTheWay) EXPECT_EQ(contentOf(target), c.written ? big : "GOOD");
        EXPECT_EQ(temporariesIn(c.folder), 0);
    }
}

TEST(AtomicFile, NewFilesNeverReplaceOldOnes) {
    testsupport::ScratchFolder scratch;
    const std::string taken = scratch.file("p.jpg");
    std::ofstream(taken) << "first";
    AtomicFileWriter writer(taken);
    ASSERT_TRUE(writer.open());
    ASSERT_TRUE(writer.write("second"));
    bool wasTaken = false;
    EXPECT_FALSE(writer.commitNew(&wasTaken).ok);
    EXPECT_TRUE(wasTaken);
    EXPECT_TRUE(fs::exists(writer.temporaryPath())) << "kept for another name";
    const FileWriteResult moved = writer.commitNew(scratch.file("p-2.jpg"), &wasTaken);
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_EQ(moved.path, scratch.file("p-2.jpg"));
    EXPECT_EQ(contentOf(taken), "first");
    EXPECT_EQ(contentOf(scratch.file("p-2.jpg")), "second");
    EXPECT_EQ(temporariesIn(scratch.path().string()), 0);
}

TEST(AtomicFile, TemporaryNamesAreRecognised) {
    AtomicFileWriter writer("/tmp/x.ini");
    ASSERT_TRUE(writer.open());
    const std::string made = fs::path(writer.temporaryPath()).filename().string();
    writer.discard();
    const struct {
        std::string name;
        std::string target;
        bool is;
    } cases[] = {
        {made, "x.ini", true},
        {made, "", true},
        {made, "y.ini", false},
        {"x.ini.tmp", "", false},
        {"x.ini.tmp-12-3", "", false},
        {"x.ini.tmp-12-3-zz", "", false},
        {".tmp-1-2-3", "", false},
        {"x.ini", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsAtomicTemporaryName(c.name, c.target), c.is) << c.name;
}

}  // namespace
}  // namespace sorae
