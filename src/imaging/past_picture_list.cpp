#include "imaging/past_picture_list.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace sorae {

namespace {

std::string DayText(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

bool EndsWithJpg(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".jpg") == 0;
}

}  // namespace

std::vector<std::string> BuildDayEntries(const std::vector<std::string>& fileNames, int year,
                                         int month, int day) {
    const std::string dayText = DayText(year, month, day);
    std::vector<std::string> entries;
    for (const std::string& name : fileNames) {
        if (name.size() != kPictureFileNameLength || !EndsWithJpg(name)) continue;
        if (name.compare(0, 8, dayText) != 0) continue;

        // Time and satellite ("hh:mm NOAA-15" or "hh:mm MANUAL "): two passes
        // of the same minute stay apart when their satellite parts differ.
        const std::string satellite = name.substr(12, 2);
        std::string entry = name.substr(8, 2) + ":" + name.substr(10, 2) +
                            (satellite == "MN" ? " MANUAL " : " NOAA-" + satellite);
        char remembered = '\0';
        const auto same = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
            return e.compare(0, entry.size(), entry) == 0;
        });
        if (same != entries.end()) {
            if (same->size() >= 18) remembered = (*same)[17];
            entries.erase(same);
        }
        if (remembered == 'A') entry += " CH-A";
        entry += " CH-";
        entry += name[14];
        if (remembered == 'B') entry += " CH-B";
        entries.insert(std::upper_bound(entries.begin(), entries.end(), entry), entry);
    }
    return entries;
}

std::optional<std::vector<std::string>> ListDayEntries(const std::string& picsFolder, int year,
                                                       int month, int day) {
    std::error_code ec;
    if (!std::filesystem::is_directory(picsFolder, ec)) return std::nullopt;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(picsFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    return BuildDayEntries(names, year, month, day);
}

std::optional<EntryFiles> FilesOfEntry(const std::string& entry, int year, int month, int day) {
    if (entry.size() < 18) return std::nullopt;
    EntryFiles files;
    const std::string satellite = entry.substr(11, 2);
    files.stamp = DayText(year, month, day) + entry.substr(0, 2) + entry.substr(3, 2) +
                  (satellite == "L " ? std::string("MN") : satellite);
    files.loadA = entry[17] == 'A';
    files.loadB = entry[17] == 'B' || (entry.size() >= 23 && entry[22] == 'B');
    return files;
}

}  // namespace sorae
