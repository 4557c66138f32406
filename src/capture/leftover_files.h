// What a killed program leaves in the pictures folder, dealt with at the
// next start:
//  - a pass recording's working file ("….flac.part") holds good sound up to
//    the kill; it is finished into a complete FLAC under the name it was to
//    get (a numbered variant when that is taken) and its working file goes.
//    One still locked by a running writer (another copy of the program) is
//    left alone; one that holds no sound at all is removed; one that cannot
//    be read is kept as it is.
//  - a picture's working file ("….jpg.tmp-…", or "….jpg.part" of earlier
//    versions) holds half a picture and is
//    removed once it is older than a write could take (minimumAge), so that
//    a picture another copy of the program is saving right now is spared.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace sorae {

struct LeftoverFiles {
    std::vector<std::string> finished;  // recordings completed, by their new names
    std::vector<std::string> removed;   // working files removed
    std::vector<std::string> problems;  // why a leftover was kept as it was
};

LeftoverFiles tidyPicturesFolder(const std::string& folder,
                                 std::chrono::seconds minimumAge = std::chrono::seconds(60));

// Completes one recording working file as described above. The name given
// is added to finished.
void finishLeftoverRecording(const std::string& workingPath, LeftoverFiles& out);

}  // namespace sorae
