#include "recording/recording_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>

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

RecordingList ListRecordings(const std::vector<std::string>& arguments, bool recursive) {
    RecordingList list;
    for (const std::string& argument : arguments) {
        std::error_code ec;
        if (!fs::is_directory(argument, ec)) {
            list.files.push_back(argument);  // a missing file fails when it is opened
            continue;
        }
        std::vector<std::string> found;
        auto take = [&](const fs::directory_entry& entry) {
            std::error_code fileError;
            if (entry.is_regular_file(fileError) && IsRecordingFileName(entry.path().filename().string()))
                found.push_back(entry.path().string());
        };
        if (recursive) {
            fs::recursive_directory_iterator it(argument, fs::directory_options::skip_permission_denied, ec);
            for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) take(*it);
        } else {
            fs::directory_iterator it(argument, ec);
            for (; !ec && it != fs::directory_iterator(); it.increment(ec)) take(*it);
        }
        if (ec) list.errors.push_back("cannot read the folder " + argument + ": " + ec.message());
        std::sort(found.begin(), found.end());
        list.files.insert(list.files.end(), found.begin(), found.end());
    }
    return list;
}

}  // namespace sorae
