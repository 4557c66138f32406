#include "calibration/colour_jpeg.h"

#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <jpeglib.h>

namespace sorae {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Only plain data lives in this frame, so the jump skips no destructors.
bool compress(std::FILE* file, const PictureBuffer& picture, char* message) {
    jpeg_compress_struct cinfo;
    ErrorManager manager;
    cinfo.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = onError;
    manager.message[0] = '\0';
    if (setjmp(manager.jump)) {
        std::strncpy(message, manager.message, JMSG_LENGTH_MAX);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(picture.width);
    cinfo.image_height = JDIMENSION(picture.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.row(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

ColourJpegResult SaveColourJpeg(const PictureBuffer& picture, const std::string& path) {
    ColourJpegResult result;
    if (picture.empty()) {
        result.error = path + ": empty picture";
        return result;
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        result.error = path + ": " + std::strerror(errno);
        return result;
    }
    char message[JMSG_LENGTH_MAX] = {};
    const bool compressed = compress(file, picture, message);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file) && ::fsync(::fileno(file)) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!compressed || !flushed || !closed) {
        result.error = path + ": " + (!compressed ? std::string(message) : std::strerror(flushErrno));
        std::remove(temporary.c_str());
        return result;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        result.error = path + ": " + ec.message();
        std::remove(temporary.c_str());
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace sorae
