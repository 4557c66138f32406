#include "app/reception_audio_recorder.h"

#include <cmath>
#include <filesystem>
#include <system_error>

namespace sorae {

namespace {

std::int16_t toSample(double v) {
    // The blocks hold exact 16-bit counts; clamp anyway so that nothing can wrap.
    if (!(v > -32768.0)) return v != v ? 0 : -32768;
    if (v >= 32767.0) return 32767;
    return std::int16_t(std::lround(v));
}

}  // namespace

ReceptionAudioRecorder::ReceptionAudioRecorder() : interleaved_(2 * 48000) {}

bool ReceptionAudioRecorder::start(const std::string& picsFolder, int sampleRate) {
    finish(false, std::string());
    error_.clear();
    failureTold_ = false;
    folder_ = picsFolder;
    sampleRate_ = sampleRate;
    std::error_code ec;
    std::filesystem::create_directories(picsFolder, ec);
    const std::string working = (std::filesystem::path(picsFolder) / kWorkingName).string();
    if (!writer_.open(working, sampleRate)) {
        error_ = writer_.errorMessage();
        return false;
    }
    return true;
}

bool ReceptionAudioRecorder::append(const double* left, const double* right, int frames) {
    if (!writer_.isOpen()) return true;
    if (frames > int(interleaved_.size() / 2)) frames = int(interleaved_.size() / 2);
    for (int i = 0; i < frames; ++i) {
        interleaved_[std::size_t(2 * i)] = toSample(left[i]);
        interleaved_[std::size_t(2 * i + 1)] = toSample(right[i]);
    }
    if (writer_.append(interleaved_.data(), frames)) return true;
    if (failureTold_) return true;
    failureTold_ = true;
    error_ = writer_.errorMessage();
    return false;
}

ReceptionAudioRecorder::Finish ReceptionAudioRecorder::finish(bool keep, const std::string& stem) {
    Finish result;
    if (!writer_.isOpen()) return result;
    if (!keep) {
        writer_.abandon();
        return result;
    }
    if (!writer_.close()) {
        // What was written stays under the writer's temporary name.
        error_ = writer_.errorMessage();
        result.ok = false;
        return result;
    }
    const std::filesystem::path from = writer_.finalPath();
    const std::filesystem::path to = std::filesystem::path(folder_) / (stem + ".flac");
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    if (ec) {
        error_ = "受信音声ファイル「" + from.string() + "」を「" + to.string() +
                 "」に改名できません: " + ec.message();
        result.ok = false;
        result.path = from.string();
        return result;
    }
    result.path = to.string();
    return result;
}

}  // namespace sorae
