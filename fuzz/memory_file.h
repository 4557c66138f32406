// A file that lives in memory (memfd) for the fuzz targets whose reader takes
// a path: each input is written into it and the reader opens it by its
// /proc/self/fd name, so fuzzing never touches the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace sorae::fuzz {

class MemoryFile {
public:
    explicit MemoryFile(const char* name) {
        fd_ = ::memfd_create(name, 0);
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the contents with the given bytes.
    void write(const std::uint8_t* data, std::size_t size) {
        if (::ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, data + done, size - done, off_t(done));
            if (n <= 0) std::abort();
            done += std::size_t(n);
        }
    }

    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace sorae::fuzz
