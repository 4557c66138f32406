#include "capture/recording_names.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sorae {

namespace {

constexpr int kMostVariants = 999;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string numberedPath(const std::string& path, int n) {
    if (n <= 1) return path;
    const std::filesystem::path p(path);
    return (p.parent_path() / (p.stem().string() + "_" + std::to_string(n) + p.extension().string())).string();
}

bool moveWithoutReplacing(const std::string& from, const std::string& wanted, std::string* actual,
                          std::string* error, int firstNumber) {
    for (int n = std::max(firstNumber, 1); n <= kMostVariants; ++n) {
        const std::string to = numberedPath(wanted, n);
        if (to == from) {
            *actual = to;
            return true;
        }
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            *actual = to;
            return true;
        }
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) {
            *error = std::strerror(errno);
            return false;
        }
        // A file system without the no-replace rename: check, then rename.
        if (exists(to)) continue;
        if (std::rename(from.c_str(), to.c_str()) == 0) {
            *actual = to;
            return true;
        }
        *error = std::strerror(errno);
        return false;
    }
    *error = "同じ名前のファイルが多すぎます";
    return false;
}

}  // namespace sorae
