// The list of saved picture pairs of one day, built from the file names in
// the pics folder ("YYYYMMDDHHMM" + two-character satellite part + "A.jpg"
// or "B.jpg"), and the way back from a list entry to its files.
//
// An entry reads "hh:mm NOAA-18 CH-A CH-B" (or " MANUAL " for a manual
// reception; a lone channel gives just its own " CH-x"). A later pass of
// the same name, saved as "...A-2.jpg", has its own entry ending in " (2)".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sorae {

constexpr std::size_t kPictureFileNameLength = 19;

// The entries of one day from a set of file names, sorted alphabetically
// (which orders them by time). Names of any other length or day are ignored.
std::vector<std::string> BuildDayEntries(const std::vector<std::string>& fileNames, int year,
                                         int month, int day);

// The same from the "*.jpg" files of a folder; nothing when the folder
// does not exist (the caller keeps its list as it was).
std::optional<std::vector<std::string>> ListDayEntries(const std::string& picsFolder, int year,
                                                       int month, int day);

// What a double-click on an entry loads.
struct EntryFiles {
    std::string stamp;  // "YYYYMMDDHHMM" + satellite part
    bool loadA = false;
    bool loadB = false;
    int occurrence = 1;  // N of "...A-N.jpg" from 2 on
};
std::optional<EntryFiles> FilesOfEntry(const std::string& entry, int year, int month, int day);

}  // namespace sorae
