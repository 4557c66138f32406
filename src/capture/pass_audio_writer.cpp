#include "capture/pass_audio_writer.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sorae {

namespace {

std::string quoted(const std::string& path) { return "「" + path + "」"; }

}  // namespace

struct PassAudioWriter::Impl {
    SNDFILE* file = nullptr;
    std::string finalPath;
    std::string temporaryPath;
    long long frames = 0;
    bool failed = false;
    std::string message;

    void fail(const std::string& text) {
        failed = true;
        if (message.empty()) message = text;  // the first cause is the useful one
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
    d.finalPath = finalPath;
    d.temporaryPath = temporaryPathFor(finalPath);
    d.frames = 0;
    d.failed = false;
    d.message.clear();

    if (sampleRate != 48000 && sampleRate != 96000) {
        d.fail("受信音声ファイル" + quoted(finalPath) + "のサンプリング周波数 " +
               std::to_string(sampleRate) + " Hz には対応していません");
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    d.file = sf_open(d.temporaryPath.c_str(), SFM_WRITE, &info);
    if (!d.file) {
        d.fail("受信音声ファイル" + quoted(d.temporaryPath) + "を作成できません: " + sf_strerror(nullptr));
        return false;
    }
    return true;
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

bool PassAudioWriter::close() {
    Impl& d = *impl_;
    if (!d.file) return false;
    // The encoder flushes its last frames here, so a full disk may only show now.
    sf_write_sync(d.file);
    const int closeError = sf_close(d.file);
    d.file = nullptr;
    if (closeError != 0) {
        d.fail("受信音声ファイル" + quoted(d.temporaryPath) + "を閉じられません: " +
               sf_error_number(closeError));
    }
    if (d.failed) return false;
    if (std::rename(d.temporaryPath.c_str(), d.finalPath.c_str()) != 0) {
        d.fail("受信音声ファイル" + quoted(d.temporaryPath) + "を" + quoted(d.finalPath) +
               "に改名できません: " + std::strerror(errno));
        return false;
    }
    return true;
}

void PassAudioWriter::abandon() {
    Impl& d = *impl_;
    if (d.file) {
        sf_close(d.file);
        d.file = nullptr;
    }
    if (!d.temporaryPath.empty()) std::remove(d.temporaryPath.c_str());
}

bool PassAudioWriter::isOpen() const { return impl_->file != nullptr; }
bool PassAudioWriter::failed() const { return impl_->failed; }
long long PassAudioWriter::framesWritten() const { return impl_->frames; }
const std::string& PassAudioWriter::finalPath() const { return impl_->finalPath; }
const std::string& PassAudioWriter::errorMessage() const { return impl_->message; }

}  // namespace sorae
