// Colour products as JPEG files (the channel pictures' writer keeps grey
// only): 24-bit, quality 95, written to a temporary file beside the target,
// synced and renamed into place; on any failure the temporary is removed
// and an existing file stays as it was.
#pragma once

#include <string>

#include "imaging/picture_buffer.h"

namespace sorae {

struct ColourJpegResult {
    bool ok = false;
    std::string error;
};

ColourJpegResult SaveColourJpeg(const PictureBuffer& picture, const std::string& path);

}  // namespace sorae
