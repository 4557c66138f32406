#include "imaging/past_picture_list.h"

#include <algorithm>
#include <cstdlib>
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

// N of a numbered picture "...A-N.jpg" (N from 2); 1 for any other name.
int Occurrence(const std::string& jpgName) {
    const std::size_t dash = jpgName.rfind('-');
    const std::size_t dot = jpgName.size() - 4;
    if (dash == std::string::npos || dash + 1 >= dot || dot - dash > 5) return 1;
    int n = 0;
    for (std::size_t i = dash + 1; i < dot; ++i) {
        if (jpgName[i] < '0' || jpgName[i] > '9') return 1;
        n = n * 10 + (jpgName[i] - '0');
    }
    return n >= 2 ? n : 1;
}

// " (N)" at the end of an entry of numbered pictures, else "".
std::string NumberedPart(const std::string& entry) {
    const std::size_t open = entry.rfind(" (");
    if (open == std::string::npos || entry.back() != ')') return "";
    return entry.substr(open);
}

}  // namespace

std::vector<std::string> BuildDayEntries(const std::vector<std::string>& fileNames, int year,
                                         int month, int day) {
    const std::string dayText = DayText(year, month, day);
    std::vector<std::string> entries;
    for (const std::string& fileName : fileNames) {
        if (!EndsWithJpg(fileName)) continue;
        // A later pass of the same minute was saved as "...A-2.jpg": its
        // entry ends in " (2)" and pairs only with its own numbered files.
        std::string name = fileName;
        std::string numbered;
        if (const int occurrence = Occurrence(fileName); occurrence > 1) {
            name = fileName.substr(0, fileName.rfind('-')) + ".jpg";
            numbered = " (" + std::to_string(occurrence) + ")";
        }
        if (name.size() != kPictureFileNameLength) continue;
        if (name.compare(0, 8, dayText) != 0) continue;

        // Time and satellite ("hh:mm NOAA-15" or "hh:mm MANUAL "): two passes
        // of the same minute stay apart when their satellite parts differ.
        const std::string satellite = name.substr(12, 2);
        std::string entry = name.substr(8, 2) + ":" + name.substr(10, 2) +
                            (satellite == "MN" ? " MANUAL " : " NOAA-" + satellite);
        char remembered = '\0';
        const auto same = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
            return e.compare(0, entry.size(), entry) == 0 && NumberedPart(e) == numbered;
        });
        if (same != entries.end()) {
            if (same->size() >= 18) remembered = (*same)[17];
            entries.erase(same);
        }
        if (remembered == 'A') entry += " CH-A";
        entry += " CH-";
        entry += name[14];
        if (remembered == 'B') entry += " CH-B";
        entry += numbered;
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
    if (const std::string numbered = NumberedPart(entry); !numbered.empty())
        files.occurrence = std::atoi(numbered.c_str() + 2);
    return files;
}

}  // namespace sorae
