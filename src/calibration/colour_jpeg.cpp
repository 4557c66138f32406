#include "calibration/colour_jpeg.h"

#include <string_view>

#include "common/atomic_file.h"
#include "imaging/jpeg_file.h"

namespace sorae {

ColourJpegResult SaveColourJpeg(const PictureBuffer& picture, const std::string& path) {
    ColourJpegResult result;
    const JpegEncodeResult encoded = EncodeColourJpeg(picture);
    if (!encoded.ok) {
        result.error = path + ": " + encoded.error;
        return result;
    }
    const FileWriteResult written = WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(encoded.bytes.data()), encoded.bytes.size()));
    result.ok = written.ok;
    result.error = written.error;
    return result;
}

}  // namespace sorae
