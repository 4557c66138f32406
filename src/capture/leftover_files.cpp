#include "capture/leftover_files.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "capture/pass_audio_writer.h"
#include "common/atomic_file.h"

namespace sorae {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecordingWorking = ".flac.part";
constexpr const char* kPictureWorking = ".jpg.part";
// A working file this small was killed before its first second of sound was
// flushed: there is nothing in it to keep.
constexpr std::uintmax_t kNothingRecordedBytes = 64 * 1024;
constexpr int kCopyFrames = 24000;

bool endsWith(const std::string& s, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return s.size() > n && s.compare(s.size() - n, n, suffix) == 0;
}

std::string quoted(const std::string& path) { return "「" + path + "」"; }

// Holds a working file open and locked while it is finished.
class LockedFile {
public:
    explicit LockedFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) busy_ = errno == EWOULDBLOCK;
    }
    ~LockedFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    int fd() const { return fd_; }
    bool busy() const { return busy_; }

private:
    int fd_;
    bool busy_ = false;
};

// Decodes what the working file holds into writer, which is open; the
// number of frames copied.
long long copySound(SNDFILE* in, PassAudioWriter& writer) {
    std::vector<std::int16_t> block(2 * std::size_t(kCopyFrames));
    long long copied = 0;
    for (;;) {
        // The last frame may be cut off by the kill: reading stops there.
        const sf_count_t n = sf_readf_short(in, block.data(), kCopyFrames);
        if (n <= 0) break;
        if (!writer.append(block.data(), int(n))) return copied;
        copied += n;
    }
    return copied;
}

}  // namespace

void finishLeftoverRecording(const std::string& workingPath, LeftoverFiles& out) {
    LockedFile held(workingPath);
    if (held.fd() < 0) {
        out.problems.push_back("受信音声ファイル" + quoted(workingPath) + "を開けません: " + std::strerror(errno));
        return;
    }
    if (held.busy()) return;  // being written right now

    std::error_code ec;
    const std::uintmax_t size = fs::file_size(workingPath, ec);
    const bool holdsNothing = !ec && size < kNothingRecordedBytes;
    const std::string finalPath = workingPath.substr(0, workingPath.size() - std::strlen(".part"));

    SF_INFO info{};
    SNDFILE* in = sf_open_fd(held.fd(), SFM_READ, &info, SF_FALSE);
    const bool usable = in != nullptr && info.channels == 2 && (info.samplerate == 48000 || info.samplerate == 96000);
    long long copied = 0;
    PassAudioWriter writer;
    bool written = false;
    if (usable) {
        // The finished file is made beside it; one a killed earlier attempt
        // left is ours to replace, the working file itself being intact.
        const std::string repaired = finalPath + ".recovering";
        std::remove(repaired.c_str());
        if (writer.open(finalPath, repaired, info.samplerate)) {
            copied = copySound(in, writer);
            if (copied > 0 && !writer.failed()) {
                written = writer.close();
            }
            if (!written) {
                writer.abandon();
                std::remove(repaired.c_str());
            }
        }
    }
    if (in != nullptr) sf_close(in);

    if (written) {
        std::remove(workingPath.c_str());
        out.finished.push_back(writer.finalPath());
        return;
    }
    if (copied == 0 && holdsNothing && (!usable || !writer.failed())) {
        std::remove(workingPath.c_str());
        out.removed.push_back(workingPath);
        return;
    }
    const std::string why = !usable ? std::string("FLAC として読めません")
                            : writer.errorMessage().empty() ? std::string("音声がありません")
                                                            : writer.errorMessage();
    out.problems.push_back("中断された受信音声ファイル" + quoted(workingPath) + "を仕上げられません: " + why);
}

LeftoverFiles tidyPicturesFolder(const std::string& folder, std::chrono::seconds minimumAge) {
    LeftoverFiles out;
    std::error_code ec;
    std::vector<std::string> recordings;
    std::vector<std::string> pictures;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string path = it->path().string();
        if (endsWith(path, kRecordingWorking)) recordings.push_back(path);
        const std::string name = it->path().filename().string();
        if (endsWith(path, kPictureWorking) ||
            (IsAtomicTemporaryName(name) && name.find(".jpg.tmp-") != std::string::npos))
            pictures.push_back(path);
    }
    for (const std::string& path : recordings) finishLeftoverRecording(path, out);

    const auto now = fs::file_time_type::clock::now();
    for (const std::string& path : pictures) {
        const auto written = fs::last_write_time(path, ec);
        if (ec || now - written < minimumAge) continue;
        if (fs::remove(path, ec)) out.removed.push_back(path);
    }
    return out;
}

}  // namespace sorae
