#include "capture/free_space_guard.h"

#include <sys/statvfs.h>

namespace sorae {

FreeSpaceGuard::FreeSpaceGuard(std::uint64_t reserveBytes, FreeSpaceQuery query)
    : reserve_(reserveBytes), query_(query ? std::move(query) : FreeSpaceQuery(&FreeSpaceGuard::freeBytesIn)) {}

bool FreeSpaceGuard::hasRoom(const std::string& folder) const {
    const std::optional<std::uint64_t> free = query_(folder);
    if (!free) return true;
    lastFree_ = free;
    return *free > reserve_;
}

std::optional<std::uint64_t> FreeSpaceGuard::freeBytesIn(const std::string& folder) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0) return std::nullopt;
    // What an unprivileged writer may use, not the blocks kept for root.
    return std::uint64_t(fs.f_bavail) * std::uint64_t(fs.f_frsize);
}

}  // namespace sorae
