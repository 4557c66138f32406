// Picture files: writes a picture as a one-component greyscale baseline
// JPEG at quality 100, and reads any JPEG back into a 24-bit picture.
// libjpeg errors come back as texts; they never end the process.
#pragma once

#include <string>
#include <vector>

#include "imaging/picture_buffer.h"

namespace sorae {

struct JpegWriteResult {
    bool ok = false;
    std::string error;
};

// The file's bytes, for writers that choose the name themselves.
struct JpegEncodeResult {
    bool ok = false;
    std::string error;
    std::vector<unsigned char> bytes;
};
JpegEncodeResult EncodePictureJpeg(const PictureBuffer& picture);
// A colour picture as a 24-bit JPEG file's bytes (the channel pictures stay grey).
JpegEncodeResult EncodeColourJpeg(const PictureBuffer& picture, int quality = 95);

// Writes to a temporary file beside the target and renames it into place,
// so an interrupted write (a full disk included) never leaves a half file
// under the final name. An existing file is replaced.
JpegWriteResult SavePictureJpeg(const PictureBuffer& picture, const std::string& path);

struct JpegReadResult {
    bool ok = false;
    std::string error;
    PictureBuffer picture;  // 24-bit; a greyscale file gives grey pixels
    int components = 0;     // as stored in the file
    bool progressive = false;
    bool baseline = false;  // SOF0 frame, 8-bit samples
};

// Pictures larger than this many pixels are refused (a damaged header must
// not make the program reserve gigabytes).
constexpr long long kMaxJpegPixels = 40'000'000;

// Truncated or corrupt data is reported as an error, not shown as grey.
JpegReadResult LoadJpegPicture(const std::string& path);

}  // namespace sorae
