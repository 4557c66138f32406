// A small tmpfs mounted on a folder of its own, for tests of what happens
// when the disk is full: the real disk is never filled. Mounting needs root;
// a test asks available() and skips when it is false.
#pragma once

#include <sys/mount.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace sorae::testsupport {

class SmallTmpfs {
public:
    explicit SmallTmpfs(const std::string& size = "64k") {
        std::string pattern = (std::filesystem::temp_directory_path() / "sorae-tmpfs-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        const std::string options = "size=" + size + ",mode=0755";
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallTmpfs() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool available() const { return mounted_; }
    const std::string& path() const { return folder_; }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }

    // Fills what room is left with a file of that name, so that the next
    // write fails with ENOSPC.
    void fill(const std::string& name = "filler") const {
        std::ofstream out(file(name), std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 100000 && out; ++i) out.write(block.data(), std::streamsize(block.size()));
        out.close();
        // the last partial block: byte by byte
        std::ofstream tail(file(name), std::ios::binary | std::ios::app);
        for (int i = 0; i < 4096 && tail; ++i) tail.put('f'), tail.flush();
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

}  // namespace sorae::testsupport
