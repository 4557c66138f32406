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

ReceptionAudioRecorder::ReceptionAudioRecorder(FreeSpaceGuard guard)
    : guard_(std::move(guard)), interleaved_(2 * 48000) {}

std::string ReceptionAudioRecorder::lowSpaceText(const char* what) const {
    const std::uint64_t mib = guard_.lastFreeBytes().value_or(0) >> 20;
    return std::string("ディスクの空き容量が少ないため (残り ") + std::to_string(mib) + " MB) 受信音声の" + what;
}

bool ReceptionAudioRecorder::start(const std::string& picsFolder, int sampleRate, const std::string& stem,
                                   const std::string& startIso8601) {
    writer_.abandon();  // one still running has no name to be kept under
    error_.clear();
    failureTold_ = false;
    outOfSpace_ = false;
    folder_ = picsFolder;
    sampleRate_ = sampleRate;
    std::error_code ec;
    std::filesystem::create_directories(picsFolder, ec);
    if (!guard_.hasRoom(picsFolder)) {
        error_ = lowSpaceText("保存を見送りました");
        return false;
    }
    const std::string final = (std::filesystem::path(picsFolder) / (stem + ".flac")).string();
    if (!writer_.open(final, sampleRate)) {
        error_ = writer_.errorMessage();
        return false;
    }
    if (!startIso8601.empty()) writer_.setStartTime(startIso8601);
    return true;
}

bool ReceptionAudioRecorder::append(const double* left, const double* right, int frames) {
    if (!writer_.isOpen() || outOfSpace_) return true;
    if (!guard_.hasRoom(folder_)) {
        // Stop here; the file is finished at the end of the pass as usual.
        outOfSpace_ = true;
        if (failureTold_) return true;
        failureTold_ = true;
        error_ = lowSpaceText("保存を止めました");
        return false;
    }
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

ReceptionAudioRecorder::Finish ReceptionAudioRecorder::finish(const std::string& stem) {
    Finish result;
    if (!writer_.isOpen()) return result;
    // A pass that never synchronised is kept too: its sound is exactly what
    // one wants to decode again by hand. Only an empty file goes.
    if (writer_.framesWritten() == 0) {
        writer_.abandon();
        return result;
    }
    const std::string final = (std::filesystem::path(folder_) / (stem + ".flac")).string();
    if (!writer_.closeAs(final)) {
        // What was written stays under the working name; the next start
        // finishes it.
        error_ = writer_.errorMessage();
        result.ok = false;
        return result;
    }
    result.path = writer_.finalPath();
    if (outOfSpace_) result.note = error_;
    return result;
}

}  // namespace sorae
