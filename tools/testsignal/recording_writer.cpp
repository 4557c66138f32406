#include "testsignal/recording_writer.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace sorae::testsignal {
namespace {

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

RecordingResult failure(const std::string& path, const std::string& reason) {
    return {false, path + ": " + reason, 0};
}

}  // namespace

RecordingResult writeRecording(const std::string& path, AptSignalGenerator& generator,
                               SampleFormat format) {
    const std::string ext = lowerExtension(path);
    int container = 0;
    int subtype = format == SampleFormat::Float ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_16;
    if (ext == "wav") {
        container = SF_FORMAT_WAV;
    } else if (ext == "flac") {
        if (format == SampleFormat::Float) return failure(path, "FLAC holds integer samples only");
        container = SF_FORMAT_FLAC;
    } else if (ext == "ogg") {
        container = SF_FORMAT_OGG;
        subtype = SF_FORMAT_VORBIS;
    } else {
        return failure(path, "unknown file type (use .wav, .flac or .ogg)");
    }

    SF_INFO info{};
    info.samplerate = generator.options().sampleRate;
    info.channels = generator.channels();
    info.format = container | subtype;
    if (!sf_format_check(&info)) return failure(path, "libsndfile cannot write this format");
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return failure(path, std::string("cannot open for writing: ") + sf_strerror(nullptr));

    constexpr std::size_t kBlockFrames = 16384;
    const int channels = generator.channels();
    std::vector<double> block(kBlockFrames * channels);
    std::vector<short> shorts(format == SampleFormat::Int16 ? block.size() : 0);
    std::vector<float> floats(format == SampleFormat::Float ? block.size() : 0);

    RecordingResult result{true, {}, 0};
    generator.rewind();
    for (;;) {
        const std::size_t frames = generator.generate(block);
        if (frames == 0) break;
        const std::size_t samples = frames * channels;
        sf_count_t written;
        if (format == SampleFormat::Int16) {
            for (std::size_t i = 0; i < samples; ++i) shorts[i] = toInt16(block[i]);
            written = sf_writef_short(file, shorts.data(), sf_count_t(frames));
        } else {
            for (std::size_t i = 0; i < samples; ++i) floats[i] = float(block[i] / 32768.0);
            written = sf_writef_float(file, floats.data(), sf_count_t(frames));
        }
        if (written != sf_count_t(frames)) {
            result = failure(path, std::string("write failed: ") + sf_strerror(file));
            break;
        }
        result.frames += written;
    }
    if (sf_close(file) != 0 && result.ok) result = failure(path, "closing the file failed");
    return result;
}

}  // namespace sorae::testsignal
