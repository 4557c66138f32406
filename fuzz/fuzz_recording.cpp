// Fuzz target: opening a sound recording and reading it block by block, as
// audio and as I/Q. Every block delivered is full-sized, reports how many of
// its frames are real, and zero-pads the rest.
#include <cstdint>
#include <vector>

#include "capture/recording_reader.h"
#include "memory_file.h"

namespace {

// Enough blocks to reach the end of any recording a fuzz input can hold
// (the reader refuses rates below 1000 Hz, and inputs stay far below a
// megabyte), while a header that claims hours of sound costs little.
constexpr int kMaxBlocks = 64;

void readAll(const std::string& path, sorae::RecordingKind kind) {
    sorae::RecordingReader reader;
    if (!reader.open(path, kind)) {
        if (reader.error() == sorae::RecordingError::None) __builtin_trap();
        if (reader.isOpen()) __builtin_trap();
        return;
    }
    const int frames = reader.framesPerBlock();
    std::vector<std::int16_t> block(std::size_t(frames) * 2 + 2, 0x5a5a);
    for (int i = 0; i < kMaxBlocks; ++i) {
        block[block.size() - 2] = block[block.size() - 1] = 0x5a5a;
        if (!reader.nextBlock(block.data())) break;
        // nothing written beyond the block
        if (block[block.size() - 2] != 0x5a5a || block[block.size() - 1] != 0x5a5a) __builtin_trap();
        const int real = reader.lastBlockFrames();
        if (real <= 0 || real > frames) __builtin_trap();
        for (std::size_t s = std::size_t(real) * 2; s < std::size_t(frames) * 2; ++s)
            if (block[s] != 0) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sorae::fuzz::MemoryFile file("recording");
    file.write(data, size);
    readAll(file.path(), sorae::RecordingKind::Audio);
    readAll(file.path(), sorae::RecordingKind::Quadrature);
    return 0;
}
