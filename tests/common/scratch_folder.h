// A folder of its own for one test: made empty under the system's temporary
// folder with a name no other process can have (tests of several builds run
// at the same time), and removed with everything in it at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace sorae::testsupport {

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "sorae-test-") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace sorae::testsupport
