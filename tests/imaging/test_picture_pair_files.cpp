#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/scratch_folder.h"
#include "imaging/picture_pair_files.h"

namespace sorae {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<unsigned char> bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Whatever lies in the folder already stays, and the pair takes the first
// number at which both its names are free.
TEST(PicturePairFiles, APairNeverTakesANameThatIsThere) {
    const struct {
        const char* what;
        std::vector<std::string> present;
        int firstOccurrence;
        int occurrence;
    } cases[] = {
        {"empty folder", {}, 1, 1},
        {"an earlier pass", {"202401020304MNA.jpg", "202401020304MNB.jpg"}, 1, 2},
        {"half of an earlier pass", {"202401020304MNB.jpg"}, 1, 2},
        {"two earlier passes, the second half gone", {"202401020304MNA.jpg", "202401020304MNB.jpg",
                                                      "202401020304MNA-2.jpg"}, 1, 3},
        {"numbered from the run's own count", {}, 2, 2},
        {"another minute", {"202401020305MNA.jpg", "202401020305MNB.jpg"}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ScratchFolder scratch;
        for (const std::string& name : c.present) std::ofstream(scratch.file(name)) << "old " << name;
        const auto a = bytes("new A");
        const auto b = bytes("new B");
        const PicturePairFiles saved =
            SavePicturePairWithoutReplacing(scratch.path().string(), "202401020304", "MN", {&a, &b}, c.firstOccurrence);
        EXPECT_TRUE(saved.errors.empty());
        EXPECT_EQ(saved.occurrence, c.occurrence);
        const std::string suffix = c.occurrence == 1 ? "" : "-" + std::to_string(c.occurrence);
        ASSERT_EQ(saved.written.size(), 2u);
        EXPECT_EQ(saved.written[0], scratch.file("202401020304MNA" + suffix + ".jpg"));
        EXPECT_EQ(contentOf(saved.written[0]), "new A");
        EXPECT_EQ(contentOf(saved.written[1]), "new B");
        for (const std::string& name : c.present) EXPECT_EQ(contentOf(scratch.file(name)), "old " + name);
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()),
                  std::ptrdiff_t(c.present.size() + 2))
            << "no temporary left";
    }
}

// Several programs saving the same minute at the same moment each keep a
// whole pair of their own.
TEST(PicturePairFiles, ProgramsSavingAtOnceEachKeepTheirPair) {
    testsupport::ScratchFolder scratch;
    constexpr int kPrograms = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < kPrograms; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const auto a = bytes("A of " + std::to_string(i));
            const auto b = bytes("B of " + std::to_string(i));
            const PicturePairFiles saved =
                SavePicturePairWithoutReplacing(scratch.path().string(), "202401020304", "19", {&a, &b});
            ::_exit(saved.errors.empty() && saved.written.size() == 2 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> owners;
    for (int n = 1; n <= kPrograms; ++n) {
        const std::string suffix = n == 1 ? "" : "-" + std::to_string(n);
        const std::string a = contentOf(scratch.file("20240102030419A" + suffix + ".jpg"));
        const std::string b = contentOf(scratch.file("20240102030419B" + suffix + ".jpg"));
        ASSERT_GT(a.size(), 5u) << n;
        EXPECT_EQ(a.substr(5), b.substr(5)) << "both halves of pair " << n << " from one program";
        owners.push_back(a.substr(5));
    }
    std::sort(owners.begin(), owners.end());
    EXPECT_EQ(std::unique(owners.begin(), owners.end()), owners.end());
}

}  // namespace
}  // namespace sorae
