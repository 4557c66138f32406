#include "capture/flac_frames.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace sorae {

namespace {

struct FrameHeader {
    long long firstSample = 0;
    int blockSize = 0;
};

std::uint8_t crc8(const std::uint8_t* bytes, std::size_t n) {
    std::uint8_t crc = 0;  // polynomial x^8 + x^2 + x + 1
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= bytes[i];
        for (int b = 0; b < 8; ++b) crc = std::uint8_t((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

// A frame header at p (at most `left` bytes available); fixedBlock is the
// stream's block size for streams numbered by frame.
std::optional<FrameHeader> parseHeader(const std::uint8_t* p, std::size_t left, int fixedBlock) {
    if (left < 6 || p[0] != 0xFF || (p[1] & 0xFE) != 0xF8) return std::nullopt;
    const bool variable = p[1] & 1;
    const int sizeCode = p[2] >> 4;
    const int rateCode = p[2] & 0x0F;
    const int channels = p[3] >> 4;
    const int depthCode = (p[3] >> 1) & 7;
    if (sizeCode == 0 || rateCode == 15 || channels > 10 || depthCode == 3 || (p[3] & 1)) return std::nullopt;
    std::size_t at = 4;
    // The frame or sample number, UTF-8 coded.
    int extra = 0;
    long long number = p[at];
    if (p[at] < 0x80) extra = 0;
    else if ((p[at] & 0xE0) == 0xC0) extra = 1, number &= 0x1F;
    else if ((p[at] & 0xF0) == 0xE0) extra = 2, number &= 0x0F;
    else if ((p[at] & 0xF8) == 0xF0) extra = 3, number &= 0x07;
    else if ((p[at] & 0xFC) == 0xF8) extra = 4, number &= 0x03;
    else if ((p[at] & 0xFE) == 0xFC) extra = 5, number &= 0x01;
    else if (p[at] == 0xFE && variable) extra = 6, number = 0;
    else return std::nullopt;
    ++at;
    if (left < at + std::size_t(extra) + 5) return std::nullopt;
    for (int i = 0; i < extra; ++i, ++at) {
        if ((p[at] & 0xC0) != 0x80) return std::nullopt;
        number = (number << 6) | (p[at] & 0x3F);
    }
    int blockSize = 0;
    if (sizeCode == 1) blockSize = 192;
    else if (sizeCode <= 5) blockSize = 576 << (sizeCode - 2);
    else if (sizeCode == 6) blockSize = p[at++] + 1;
    else if (sizeCode == 7) blockSize = ((p[at] << 8) | p[at + 1]) + 1, at += 2;
    else blockSize = 256 << (sizeCode - 8);
    if (rateCode == 12) at += 1;
    else if (rateCode == 13 || rateCode == 14) at += 2;
    if (crc8(p, at) != p[at]) return std::nullopt;
    FrameHeader h;
    h.blockSize = blockSize;
    h.firstSample = variable ? number : number * fixedBlock;
    return h;
}

}  // namespace

std::optional<long long> NextIntactFlacFrame(const std::string& path, long long afterSample) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> data;
    // The metadata: "fLaC", then blocks; STREAMINFO first, its largest
    // block size at bytes 2-3.
    std::uint8_t head[8];
    int fixedBlock = 0;
    if (std::fread(head, 1, 4, file) != 4 || head[0] != 'f' || head[1] != 'L' || head[2] != 'a' || head[3] != 'C') {
        std::fclose(file);
        return std::nullopt;
    }
    for (bool last = false; !last;) {
        if (std::fread(head, 1, 4, file) != 4) break;
        last = head[0] & 0x80;
        const long length = (long(head[1]) << 16) | (long(head[2]) << 8) | head[3];
        if ((head[0] & 0x7F) == 0) {
            std::uint8_t info[4];
            if (std::fread(info, 1, 4, file) != 4) break;
            fixedBlock = (info[2] << 8) | info[3];
            std::fseek(file, length - 4, SEEK_CUR);
        } else {
            std::fseek(file, length, SEEK_CUR);
        }
    }
    if (fixedBlock <= 0) {
        std::fclose(file);
        return std::nullopt;
    }
    // Through the frames in pieces, each overlapping the last by a header.
    constexpr std::size_t kPiece = 1 << 20;
    constexpr std::size_t kOverlap = 32;
    constexpr std::size_t kMostFrameBytes = 1 << 20;  // where the next header must show
    std::vector<std::uint8_t> buffer;
    std::optional<FrameHeader> candidate;
    long long candidateAt = 0;
    long long offset = std::ftell(file);
    std::optional<long long> found;
    for (;;) {
        const std::size_t kept = buffer.size() > kOverlap ? kOverlap : buffer.size();
        std::vector<std::uint8_t> next(buffer.end() - long(kept), buffer.end());
        offset += long(buffer.size()) - long(kept);
        next.resize(kept + kPiece);
        const std::size_t got = std::fread(next.data() + kept, 1, kPiece, file);
        next.resize(kept + got);
        buffer.swap(next);
        if (got == 0) break;
        const std::size_t end = got < kPiece ? buffer.size() : buffer.size() - kOverlap;
        for (std::size_t i = 0; i < end; ++i) {
            if (buffer[i] != 0xFF) continue;
            const auto h = parseHeader(buffer.data() + i, buffer.size() - i, fixedBlock);
            if (!h) continue;
            const long long at = offset + long(i);
            if (candidate && at - candidateAt <= long(kMostFrameBytes) &&
                h->firstSample == candidate->firstSample + candidate->blockSize) {
                found = candidate->firstSample;
                break;
            }
            if (h->firstSample > afterSample) {
                candidate = h;
                candidateAt = at;
            }
        }
        if (found) break;
    }
    std::fclose(file);
    return found;
}

}  // namespace sorae
