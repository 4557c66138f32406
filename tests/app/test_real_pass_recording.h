// The real NOAA 19 pass over Spain (2019-05-21, from 17:02:04 UTC) as a
// recording: the north-up picture's 909 image words turned back through
// 180 degrees into the lines as received (the pass was northbound), sent on
// both channels, each line at its own half second (of a recorder whose
// clock runs clockErrorPpm fast).
#pragma once

#include <QImage>
#include <QString>
#include <sndfile.h>
#include <cstdint>
#include <string>
#include <vector>

#include "common/wav16.h"
#include "testsignal/recording_writer.h"

namespace sorae::testsupport {

inline bool WriteRealPassRecording(const std::string& path, double clockErrorPpm = 0.0) {
    QImage image(QString::fromStdString(std::string(SORAE_TEST_DATA_DIR) + "/noaa19_20190521_170204Z_north-up.png"));
    if (image.isNull()) return false;
    image = image.convertToFormat(QImage::Format_Grayscale8);
    testsignal::GreyPicture picture(909, image.height());
    for (int r = 0; r < image.height(); ++r)
        for (int c = 0; c < 909; ++c)
            picture.pixels[std::size_t(r) * 909 + c] = image.constScanLine(image.height() - 1 - r)[908 - c];
    testsignal::GeneratorOptions options;
    options.lines = image.height();
    options.clockErrorPpm = clockErrorPpm;
    testsignal::AptSignalGenerator generator(testsignal::AptLineSource(picture, picture, 2, 4), options);
    return testsignal::writeRecording(path, generator, testsignal::SampleFormat::Int16).ok;
}

// Removes `seconds` of a 16-bit mono recording at `atSeconds` (of its
// samples), as a recorder that lost them.
inline bool CutOutOfRecording(const std::string& path, double atSeconds, double seconds) {
    SF_INFO info{};
    SNDFILE* in = sf_open(path.c_str(), SFM_READ, &info);
    if (in == nullptr || info.channels != 1) return false;
    std::vector<std::int16_t> samples(std::size_t(info.frames));
    sf_readf_short(in, samples.data(), info.frames);
    sf_close(in);
    const auto from = samples.begin() + long(atSeconds * info.samplerate);
    samples.erase(from, from + long(seconds * info.samplerate));
    return WriteWav16(path, info.samplerate, 1, samples);
}

}  // namespace sorae::testsupport
