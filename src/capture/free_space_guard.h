// Keeps room on the pictures' disk for the pictures: the raw sound of a pass
// is large (about 55 MB for 15 minutes of audio, 280 MB of I/Q), the two
// pictures a few MB, and the pictures are what the station is for. The pass
// sound is only started, and only goes on, while more than a reserve is free.
//
// The reserve is 256 MiB: many times the pictures of a pass (two greyscale
// JPEGs of at most 2400 x 1040 pixels, a few MB together even at quality
// 100), enough for the settings and element files, and small beside the
// disks a station records on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace sorae {

class FreeSpaceGuard {
public:
    static constexpr std::uint64_t kDefaultReserveBytes = 256ull << 20;

    // Bytes free to this process in the file system holding folder, nullopt
    // when that cannot be told.
    using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::string& folder)>;

    // query defaults to freeBytesIn.
    explicit FreeSpaceGuard(std::uint64_t reserveBytes = kDefaultReserveBytes, FreeSpaceQuery query = {});

    // True while more than the reserve is free in folder. A file system that
    // cannot tell its free space counts as having room: the writes then find
    // out for themselves.
    bool hasRoom(const std::string& folder) const;
    // The free space of the last hasRoom() that could tell it.
    std::optional<std::uint64_t> lastFreeBytes() const { return lastFree_; }
    std::uint64_t reserveBytes() const { return reserve_; }

    static std::optional<std::uint64_t> freeBytesIn(const std::string& folder);

private:
    std::uint64_t reserve_;
    FreeSpaceQuery query_;
    mutable std::optional<std::uint64_t> lastFree_;
};

}  // namespace sorae
