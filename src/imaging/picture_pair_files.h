// Saves the two channel pictures of a pass under names no other pass has:
// both files are written to temporaries first, then the pair takes the
// first number (from `firstOccurrence` on) whose two names are both free in
// the folder. A name is taken with a rename that never replaces, so two
// programs saving the same minute at once, or a later run decoding another
// recording of that minute, each keep their own pair.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace sorae {

struct PicturePairFiles {
    int occurrence = 1;               // the number the pair got (1: no suffix)
    std::vector<std::string> written;
    std::vector<std::string> errors;  // one text per file that could not be written
};

// jpegBytes[c] holds channel c's file; an empty one is not written.
PicturePairFiles SavePicturePairWithoutReplacing(const std::string& picsFolder, const std::string& stamp,
                                                 const std::string& satellitePart,
                                                 const std::array<const std::vector<unsigned char>*, 2>& jpegBytes,
                                                 int firstOccurrence = 1);

}  // namespace sorae
