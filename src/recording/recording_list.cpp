#include "recording/recording_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <cerrno>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace sorae {

namespace {

// The containers libsndfile recognises by their header.
constexpr std::array<std::string_view, 16> kExtensions = {
    "wav", "wave", "flac", "ogg", "oga", "opus", "aif", "aiff", "aifc",
    "au",  "snd",  "w64",  "rf64", "caf", "voc", "mp3"};

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool IsRecordingFileName(std::string_view name) {
    const auto slash = name.find_last_of('/');
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    const std::string extension = lowerCase(name.substr(dot + 1));
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

namespace {

// Walks one folder (and, when asked, its subfolders), naming everything it
// has to pass over. Folders are known by device and inode, so a link back
// up the tree is named once instead of being followed round.
class FolderWalk {
public:
    FolderWalk(RecordingList& list, bool recursive) : list_(list), recursive_(recursive) {}

    void walk(const fs::path& folder, std::vector<std::string>& found) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0) {
            list_.errors.push_back("cannot read the folder " + folder.string() + ": " + std::strerror(errno));
            return;
        }
        if (!visited_.insert({st.st_dev, st.st_ino}).second) {
            list_.warnings.push_back("skipped " + folder.string() + ": a link back to a folder already read");
            return;
        }
        std::error_code ec;
        fs::directory_iterator it(folder, ec);
        if (ec) {
            list_.errors.push_back("cannot read the folder " + folder.string() + ": " + ec.message());
            return;
        }
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec) break;
            const fs::path path = it->path();
            struct stat entry {};
            if (::stat(path.c_str(), &entry) != 0) {
                // A dangling link, or one that loops on itself.
                const std::string why = "skipped " + path.string() + ": " + std::strerror(errno);
                if (IsRecordingFileName(path.filename().string())) list_.errors.push_back(why);
                else if (errno == ELOOP) list_.warnings.push_back(why);
                continue;
            }
            if (S_ISDIR(entry.st_mode)) {
                if (recursive_) walk(path, found);
                continue;
            }
            if (!IsRecordingFileName(path.filename().string())) continue;
            if (!S_ISREG(entry.st_mode)) {
                list_.errors.push_back("skipped " + path.string() + ": not a regular file");
                continue;
            }
            if (::access(path.c_str(), R_OK) != 0) {
                list_.errors.push_back("skipped " + path.string() + ": " + std::strerror(errno));
                continue;
            }
            found.push_back(path.string());
        }
        if (ec) list_.errors.push_back("cannot read the folder " + folder.string() + " to its end: " + ec.message());
    }

private:
    RecordingList& list_;
    bool recursive_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

RecordingList ListRecordings(const std::vector<std::string>& arguments, bool recursive) {
    RecordingList list;
    for (const std::string& argument : arguments) {
        struct stat st {};
        const bool exists = ::stat(argument.c_str(), &st) == 0;
        if (!exists || S_ISREG(st.st_mode)) {
            list.files.push_back(argument);  // a missing file fails when it is opened
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            // A FIFO or a device would be waited on for ever.
            list.errors.push_back("skipped " + argument + ": not a regular file");
            continue;
        }
        std::vector<std::string> found;
        FolderWalk(list, recursive).walk(argument, found);
        std::sort(found.begin(), found.end());
        list.files.insert(list.files.end(), found.begin(), found.end());
    }
    return list;
}

}  // namespace sorae
