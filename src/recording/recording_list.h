// Which files of the command line are to be decoded: files named there are
// taken as they are; a folder gives its recordings (recognised by their
// extension), only its own or, when asked, those of all its subfolders too.
// Nothing is passed over without a word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sorae {

// True for the extensions of the sound files the reader opens (wav, flac,
// ogg, aiff, au, w64, ...), in any case.
bool IsRecordingFileName(std::string_view name);

struct RecordingList {
    std::vector<std::string> files;   // in the order given; a folder's sorted by path
    // Folders that could not be read, and entries passed over that looked
    // like recordings (dangling or looping links, FIFOs, unreadable files).
    std::vector<std::string> errors;
    // Passed over harmlessly: links back to a folder already read.
    std::vector<std::string> warnings;
};

RecordingList ListRecordings(const std::vector<std::string>& arguments, bool recursive);

}  // namespace sorae
