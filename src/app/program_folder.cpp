#include "app/program_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace sorae {

namespace {

std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool ensureFolder(const std::string& folder, std::string* error) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) {
        return true;
    }
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        if (error) *error = "cannot create folder " + folder + (ec ? ": " + ec.message() : "");
        return false;
    }
    return true;
}

std::string xdgDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return withoutTrailingSeparator(xdg) + "/sorae-apt";
    }
    const char* home = std::getenv("HOME");
    const std::string base = home != nullptr && home[0] != '\0' ? home : "/tmp";
    return withoutTrailingSeparator(base) + "/.local/share/sorae-apt";
}

}  // namespace

ProgramPaths programPathsFor(const std::string& folder) {
    ProgramPaths p;
    p.folder = withoutTrailingSeparator(folder);
    p.settingsFile = p.folder + "/sorae-apt.ini";
    p.elementFile = p.folder + "/SatTle.txt";
    p.worldMapFile = p.folder + "/AllWorld.map";
    p.picturesFolder = p.folder + "/pics";
    return p;
}

std::optional<std::string> resolveProgramFolder(const std::optional<std::string>& dataDir,
                                                const std::string& executablePath,
                                                std::string* error,
                                                const std::function<bool(const std::string&)>& isWritable) {
    if (dataDir) {
        std::error_code ec;
        const std::string folder = withoutTrailingSeparator(fs::absolute(*dataDir, ec).lexically_normal().string());
        if (!ensureFolder(folder, error)) return std::nullopt;
        return folder;
    }
    std::error_code ec;
    const fs::path exe = fs::absolute(executablePath, ec);
    const std::string exeFolder = withoutTrailingSeparator(exe.parent_path().string());
    const bool writable = isWritable ? isWritable(exeFolder) : ::access(exeFolder.c_str(), W_OK) == 0;
    // An installed copy (bin/ beside share/sorae-apt/) keeps its files in the
    // user's data folder even when the bin folder could be written (as root).
    const bool installed = fs::is_directory(exe.parent_path().parent_path() / "share" / "sorae-apt", ec);
    if (!exeFolder.empty() && writable && !installed) {
        return exeFolder;
    }
    const std::string folder = xdgDataFolder();
    if (!ensureFolder(folder, error)) return std::nullopt;
    return folder;
}

ProgramFolderLock::ProgramFolderLock(const std::string& folder)
    : path_(withoutTrailingSeparator(folder) + "/sorae-apt.lock") {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        reason_ = std::strerror(errno);
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        outcome_ = Outcome::Held;
        return;
    }
    outcome_ = errno == EWOULDBLOCK ? Outcome::HeldByOther : Outcome::Unlockable;
    reason_ = std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
}

ProgramFolderLock::~ProgramFolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace sorae
