#include "capture/pass_audio_writer.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capture/recording_names.h"

namespace sorae {

namespace {

constexpr int kMostVariants = 999;

std::string quoted(const std::string& path) { return "「" + path + "」"; }

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Creates path, which must not exist, locked for this writer. -1 with errno.
int createLocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);  // a new file: nobody else holds it
    return fd;
}

}  // namespace

struct PassAudioWriter::Impl {
    SNDFILE* file = nullptr;
    int fd = -1;  // the working file, held (and locked) until the FLAC is closed
    std::string wantedPath;  // the name asked for; finalPath is its variant number `variant`
    int variant = 1;
    std::string finalPath;
    std::string temporaryPath;
    long long frames = 0;
    bool failed = false;
    std::string message;

    void fail(const std::string& text) {
        failed = true;
        if (message.empty()) message = text;  // the first cause is the useful one
    }
    void reset(const std::string& final) {
        wantedPath = final;
        variant = 1;
        finalPath = final;
        temporaryPath.clear();
        frames = 0;
        failed = false;
        message.clear();
    }
    bool checkRate(int sampleRate) {
        if (sampleRate == 48000 || sampleRate == 96000) return true;
        fail("受信音声ファイル" + quoted(finalPath) + "のサンプリング周波数 " + std::to_string(sampleRate) +
             " Hz には対応していません");
        return false;
    }
    bool start(int fd, int sampleRate) {
        SF_INFO info{};
        info.samplerate = sampleRate;
        info.channels = 2;
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
        if (file) {
            this->fd = fd;
            return true;
        }
        fail("受信音声ファイル" + quoted(temporaryPath) + "を作成できません: " + sf_strerror(nullptr));
        std::remove(temporaryPath.c_str());
        ::close(fd);
        return false;
    }
    // Closes the encoder, then the working file (which drops the lock).
    // False when the file could not be finished.
    bool closeFile() {
        const int closeError = sf_close(file);
        file = nullptr;
        // The encoder's last frames are on their way to the disk only now: a
        // full disk may show here, before the file may take its name.
        const bool synced = ::fsync(fd) == 0;
        const int syncErrno = errno;
        const bool closed = ::close(fd) == 0;
        fd = -1;
        if (closeError != 0) {
            fail("受信音声ファイル" + quoted(temporaryPath) + "を閉じられません: " + sf_error_number(closeError));
        } else if (!synced) {
            fail("受信音声ファイル" + quoted(temporaryPath) + "を書き終えられません: " + std::strerror(syncErrno));
        } else if (!closed) {
            fail("受信音声ファイル" + quoted(temporaryPath) + "を閉じられません: " + std::strerror(errno));
        }
        return closeError == 0 && synced && closed;
    }
};

PassAudioWriter::PassAudioWriter() : impl_(std::make_unique<Impl>()) {}

PassAudioWriter::~PassAudioWriter() {
    if (impl_->file) abandon();
}

std::string PassAudioWriter::temporaryPathFor(const std::string& finalPath) {
    return finalPath + ".part";
}

bool PassAudioWriter::open(const std::string& finalPath, int sampleRate) {
    if (impl_->file) abandon();
    Impl& d = *impl_;
    d.reset(finalPath);
    if (!d.checkRate(sampleRate)) return false;
    for (int n = 1; n <= kMostVariants; ++n) {
        const std::string final = numberedPath(finalPath, n);
        const std::string working = temporaryPathFor(final);
        if (exists(final)) continue;
        const int fd = createLocked(working);
        if (fd < 0 && errno == EEXIST) continue;
        d.finalPath = final;
        d.variant = n;
        d.temporaryPath = working;
        if (fd < 0) {
            d.fail("受信音声ファイル" + quoted(working) + "を作成できません: " + std::strerror(errno));
            d.temporaryPath.clear();
            return false;
        }
        return d.start(fd, sampleRate);
    }
    d.fail("受信音声ファイル" + quoted(finalPath) + "と同じ名前のファイルが多すぎます");
    return false;
}

bool PassAudioWriter::open(const std::string& finalPath, const std::string& workingPath, int sampleRate) {
    if (impl_->file) abandon();
    Impl& d = *impl_;
    d.reset(finalPath);
    if (!d.checkRate(sampleRate)) return false;
    const int fd = createLocked(workingPath);
    if (fd < 0) {
        d.fail("受信音声ファイル" + quoted(workingPath) + "を作成できません: " + std::strerror(errno));
        return false;
    }
    d.temporaryPath = workingPath;
    return d.start(fd, sampleRate);
}

bool PassAudioWriter::setStartTime(const std::string& iso8601) {
    Impl& d = *impl_;
    if (!d.file || d.frames > 0) return false;
    return sf_set_string(d.file, SF_STR_DATE, iso8601.c_str()) == 0;
}

bool PassAudioWriter::append(const int16_t* frames, int count) {
    Impl& d = *impl_;
    if (!d.file || d.failed) return false;
    if (count <= 0) return true;
    const sf_count_t written = sf_writef_short(d.file, frames, count);
    if (written > 0) d.frames += written;
    if (written != count) {
        d.fail("受信音声ファイル" + quoted(d.temporaryPath) + "に書き込めません: " + sf_strerror(d.file));
        return false;
    }
    return true;
}

bool PassAudioWriter::closeAs(const std::string& finalPath) {
    if (!impl_->file) return false;
    impl_->wantedPath = finalPath;
    impl_->variant = 1;
    impl_->finalPath = finalPath;
    return close();
}

bool PassAudioWriter::close() {
    Impl& d = *impl_;
    if (!d.file) return false;
    // The encoder flushes its last frames here, so a full disk may only show now.
    sf_write_sync(d.file);
    d.closeFile();
    if (d.failed) return false;
    std::string given;
    std::string why;
    if (!moveWithoutReplacing(d.temporaryPath, d.wantedPath, &given, &why, d.variant)) {
        d.fail("受信音声ファイル" + quoted(d.temporaryPath) + "を" + quoted(d.finalPath) + "に改名できません: " + why);
        return false;
    }
    d.finalPath = given;
    return true;
}

void PassAudioWriter::abandon() {
    Impl& d = *impl_;
    if (!d.file) return;  // a file closed already is kept
    // Removed while still held, so no other program can take it for a leftover.
    std::remove(d.temporaryPath.c_str());
    sf_close(d.file);
    d.file = nullptr;
    ::close(d.fd);
    d.fd = -1;
}

bool PassAudioWriter::isOpen() const { return impl_->file != nullptr; }
bool PassAudioWriter::failed() const { return impl_->failed; }
long long PassAudioWriter::framesWritten() const { return impl_->frames; }
const std::string& PassAudioWriter::finalPath() const { return impl_->finalPath; }
const std::string& PassAudioWriter::workingPath() const { return impl_->temporaryPath; }
const std::string& PassAudioWriter::errorMessage() const { return impl_->message; }

}  // namespace sorae
