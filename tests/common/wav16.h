// Writes 16-bit samples (interleaved when stereo) as a WAV file, for tests
// that build a recording by hand: noise before a pass, sound cut out.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <span>
#include <string>

namespace sorae::testsupport {

inline bool WriteWav16(const std::string& path, int rate, int channels, std::span<const std::int16_t> samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) return false;
    const auto frames = sf_count_t(samples.size() / std::size_t(channels));
    const bool written = sf_writef_short(f, samples.data(), frames) == frames;
    sf_close(f);
    return written;
}

}  // namespace sorae::testsupport
