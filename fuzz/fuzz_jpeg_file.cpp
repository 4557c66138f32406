// Fuzz target: loading a picture file. Any bytes give either a picture of
// the size the header promised or an error text; never a crash, and never
// a picture together with an error.
#include <cstdint>

#include "imaging/jpeg_file.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sorae::fuzz::MemoryFile file("picture.jpg");
    file.write(data, size);
    const sorae::JpegReadResult result = sorae::LoadJpegPicture(file.path());
    if (result.ok) {
        if (!result.error.empty()) __builtin_trap();
        const sorae::PictureBuffer& p = result.picture;
        if (p.width <= 0 || p.height <= 0) __builtin_trap();
        if ((long long)p.width * p.height > sorae::kMaxJpegPixels) __builtin_trap();
        if (p.bgr.size() < std::size_t(p.width) * std::size_t(p.height) * 3) __builtin_trap();
    } else {
        if (result.error.empty()) __builtin_trap();
        if (!result.picture.empty()) __builtin_trap();
    }
    return 0;
}
