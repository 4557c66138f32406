#include "imaging/jpeg_file.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "common/atomic_file.h"

namespace sorae {

namespace {

// libjpeg's own handler exits the process; this one jumps back with the text.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

void OnError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0) {  // corrupt or missing data
        if (manager->warnings++ == 0) (*cinfo->err->format_message)(cinfo, manager->message);
    }
}

void InstallErrorManager(ErrorManager& manager) {
    jpeg_std_error(&manager.base);
    manager.base.error_exit = OnError;
    manager.base.emit_message = OnMessage;
    manager.message[0] = '\0';
    manager.warnings = 0;
}

// Only plain data lives in this frame, so the jump skips no destructors.
// The compressed bytes land in *buffer (malloc'ed by libjpeg, the caller's
// to free, also after a failure). `components` is 1 (grey) or 3 (BGR).
bool Compress(unsigned char** buffer, unsigned long* size, const std::uint8_t* pixels, int width, int height,
              int components, int quality, char* message) {
    jpeg_compress_struct cinfo;
    ErrorManager manager;
    cinfo.err = &manager.base;
    InstallErrorManager(manager);
    if (setjmp(manager.jump)) {
        std::strncpy(message, manager.message, JMSG_LENGTH_MAX);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (components == 1) cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = std::size_t(width) * std::size_t(components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + std::size_t(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

JpegEncodeResult Encode(const std::uint8_t* pixels, int width, int height, int components, int quality) {
    JpegEncodeResult result;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (Compress(&buffer, &size, pixels, width, height, components, quality, message)) {
        result.bytes.assign(buffer, buffer + size);
        result.ok = true;
    } else {
        result.error = message;
    }
    std::free(buffer);
    return result;
}

struct HeaderFacts {
    int width;
    int height;
    int components;
    bool progressive;
    bool baseline;
};

// First call (pixels == nullptr) reads the header only; the second decodes.
bool Decompress(std::FILE* file, HeaderFacts* facts, std::uint8_t* pixels, char* message) {
    jpeg_decompress_struct cinfo;
    ErrorManager manager;
    cinfo.err = &manager.base;
    InstallErrorManager(manager);
    if (setjmp(manager.jump)) {
        std::strncpy(message, manager.message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    facts->width = int(cinfo.image_width);
    facts->height = int(cinfo.image_height);
    facts->components = cinfo.num_components;
    facts->progressive = jpeg_has_multiple_scans(&cinfo) != 0 || cinfo.progressive_mode;
    facts->baseline = !cinfo.progressive_mode && !cinfo.arith_code && cinfo.data_precision == 8;
    if (!pixels) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t(cinfo.output_width) * 3;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels + std::size_t(cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const bool clean = manager.warnings == 0;
    if (!clean) std::strncpy(message, manager.message, JMSG_LENGTH_MAX);
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

}  // namespace

JpegEncodeResult EncodePictureJpeg(const PictureBuffer& picture) {
    JpegEncodeResult result;
    if (picture.empty()) {
        result.error = "empty picture";
        return result;
    }
    // one grey byte per pixel (a picture pixel is grey; coloured marks are
    // reduced to their luminance)
    std::vector<std::uint8_t> grey(std::size_t(picture.width) * std::size_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* src = picture.row(y);
        std::uint8_t* dst = grey.data() + std::size_t(y) * std::size_t(picture.width);
        for (int x = 0; x < picture.width; ++x, src += 3)
            dst[x] = std::uint8_t((29 * src[0] + 150 * src[1] + 77 * src[2] + 128) >> 8);
    }
    return Encode(grey.data(), picture.width, picture.height, 1, 100);
}

JpegEncodeResult EncodeColourJpeg(const PictureBuffer& picture, int quality) {
    if (picture.empty()) {
        JpegEncodeResult result;
        result.error = "empty picture";
        return result;
    }
    return Encode(picture.bgr.data(), picture.width, picture.height, 3, quality);
}

JpegWriteResult SavePictureJpeg(const PictureBuffer& picture, const std::string& path) {
    JpegWriteResult result;
    const JpegEncodeResult encoded = EncodePictureJpeg(picture);
    if (!encoded.ok) {
        result.error = encoded.error;
        return result;
    }
    const FileWriteResult written = WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(encoded.bytes.data()), encoded.bytes.size()));
    result.ok = written.ok;
    result.error = written.error;
    return result;
}

JpegReadResult LoadJpegPicture(const std::string& path) {
    JpegReadResult result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = std::strerror(errno);
        return result;
    }
    char message[JMSG_LENGTH_MAX] = {};
    HeaderFacts facts{};
    if (!Decompress(file, &facts, nullptr, message)) {
        std::fclose(file);
        result.error = message;
        return result;
    }
    result.components = facts.components;
    result.progressive = facts.progressive;
    result.baseline = facts.baseline;
    if (facts.width <= 0 || facts.height <= 0 ||
        (long long)facts.width * facts.height > kMaxJpegPixels) {
        std::fclose(file);
        result.error = "picture size out of range";
        return result;
    }
    result.picture.resize(facts.width, facts.height);
    std::rewind(file);
    const bool decoded = Decompress(file, &facts, result.picture.bgr.data(), message);
    std::fclose(file);
    if (!decoded) {
        result.picture = PictureBuffer();
        result.error = message[0] ? message : "corrupt JPEG data";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace sorae
