#include "common/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sorae {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A suffix no other writer of this or another process picks at the same
// moment; O_EXCL settles the rare clash.
std::string uniqueSuffix(int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char text[64];
    std::snprintf(text, sizeof text, ".tmp-%ld-%u-%x", long(::getpid()), counter++,
                  unsigned(now) ^ unsigned(attempt * 2654435761u));
    return text;
}

// Makes a completed rename last across a power cut. Failing here loses
// nothing the rename has not already done, so it is not reported.
void syncFolder(const std::string& path) {
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

}  // namespace

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: a hard link fails on an
    // existing name just as atomically.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

AtomicFileWriter::AtomicFileWriter(std::string targetPath) : target_(std::move(targetPath)) {}

AtomicFileWriter::~AtomicFileWriter() { discard(); }

bool AtomicFileWriter::fail(const std::string& what, int errorNumber) {
    if (error_.empty()) error_ = what + ": " + std::strerror(errorNumber);
    return false;
}

bool AtomicFileWriter::open() {
    discard();
    error_.clear();
    finished_ = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = target_ + uniqueSuffix(attempt);
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            temporaryPath_ = candidate;
            break;
        }
        if (errno != EEXIST) return fail(candidate + " cannot be created", errno);
    }
    if (fd_ < 0) return fail(target_ + ": no free temporary name", EEXIST);
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
    return true;
}

bool AtomicFileWriter::write(const void* data, std::size_t size) {
    if (fd_ < 0) {
        if (error_.empty()) error_ = target_ + ": not open for writing";
        return false;
    }
    if (!error_.empty()) return false;
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(temporaryPath_ + " cannot be written", errno);
        }
        if (n == 0) return fail(temporaryPath_ + " cannot be written", EIO);
        done += std::size_t(n);
    }
    return true;
}

bool AtomicFileWriter::finishWriting() {
    if (finished_) return true;
    if (fd_ < 0) {
        if (error_.empty()) error_ = target_ + ": not open for writing";
        return false;
    }
    // A full disk may show only here, when the data reaches it.
    if (error_.empty() && ::fsync(fd_) != 0) fail(temporaryPath_ + " cannot be flushed", errno);
    if (::close(fd_) != 0 && error_.empty()) fail(temporaryPath_ + " cannot be closed", errno);
    fd_ = -1;
    finished_ = error_.empty();
    return finished_;
}

FileWriteResult AtomicFileWriter::commit() {
    FileWriteResult result;
    if (finishWriting()) {
        if (std::rename(temporaryPath_.c_str(), target_.c_str()) == 0) {
            syncFolder(target_);
            temporaryPath_.clear();
            result.ok = true;
            result.path = target_;
            return result;
        }
        fail(temporaryPath_ + " cannot be renamed to " + target_, errno);
    }
    result.error = error_;
    discard();
    return result;
}

FileWriteResult AtomicFileWriter::commitNew(bool* taken) { return commitNew(target_, taken); }

FileWriteResult AtomicFileWriter::commitNew(const std::string& otherTarget, bool* taken) {
    FileWriteResult result;
    if (taken) *taken = false;
    if (finishWriting()) {
        if (RenameWithoutReplacing(temporaryPath_, otherTarget)) {
            syncFolder(otherTarget);
            temporaryPath_.clear();
            result.ok = true;
            result.path = otherTarget;
            return result;
        }
        if (errno == EEXIST) {
            // Kept for another name.
            if (taken) *taken = true;
            result.error = otherTarget + ": " + std::strerror(EEXIST);
            return result;
        }
        fail(temporaryPath_ + " cannot be renamed to " + otherTarget, errno);
    }
    result.error = error_;
    discard();
    return result;
}

void AtomicFileWriter::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
    finished_ = false;
}

FileWriteResult WriteFileAtomically(const std::string& path, std::string_view contents) {
    AtomicFileWriter writer(path);
    if (!writer.open() || !writer.write(contents)) {
        FileWriteResult failed;
        failed.error = writer.error();
        return failed;
    }
    return writer.commit();
}

bool IsAtomicTemporaryName(const std::string& fileName, const std::string& targetName) {
    // "<target>.tmp-<pid>-<count>-<hex>"
    const auto mark = fileName.rfind(".tmp-");
    if (mark == std::string::npos || mark == 0) return false;
    if (!targetName.empty() && fileName.compare(0, mark, targetName) != 0) return false;
    if (!targetName.empty() && mark != targetName.size()) return false;
    int dashes = 0;
    for (std::size_t i = mark + 5; i < fileName.size(); ++i) {
        const char c = fileName[i];
        if (c == '-') ++dashes;
        else if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return dashes == 2;
}

int RemoveStaleTemporaries(const std::string& target, std::chrono::seconds minimumAge) {
    namespace fs = std::filesystem;
    const fs::path targetPath(target);
    const std::string name = targetPath.filename().string();
    const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
    const auto now = fs::file_time_type::clock::now();
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileError;
        if (!IsAtomicTemporaryName(it->path().filename().string(), name)) continue;
        if (!fs::is_regular_file(it->symlink_status(fileError))) continue;
        const auto written = fs::last_write_time(it->path(), fileError);
        if (fileError || now - written < minimumAge) continue;
        if (fs::remove(it->path(), fileError)) ++removed;
    }
    return removed;
}

}  // namespace sorae
