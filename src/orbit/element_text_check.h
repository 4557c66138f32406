// Checks and normalises the text of a downloaded element file before it is
// allowed to replace the one on disk.
#pragma once

#include "orbit/pass_computation.h"

#include <string>
#include <vector>

namespace sorae {

// Splits text into lines; CR LF, LF and CR each end a line. Text after the
// last line end is a line of its own; an empty text has no lines. The text is
// taken up to its first zero byte.
std::vector<std::string> splitElementLines(const std::string& text);

// Joins lines with CR LF after every line, as the element file is written.
std::string joinWithCrLf(const std::vector<std::string>& lines);

// True when the lines hold at least one complete set: a name line followed by
// a line starting "1 " and a line starting "2 ", each of at least 69
// characters for the two element lines.
bool containsCompleteElementSet(const std::vector<std::string>& lines);

// A downloaded element file made ready to replace the one on disk: every
// line end becomes CR LF, blank lines and a byte-order mark are dropped.
// The text is refused (empty `text`) unless the element reader reads all of
// it as complete sets - three lines each, the two element lines of one
// satellite with their full 69 columns, no zero byte anywhere - and one of
// the sets it reads is a near-earth set of a selected satellite. An empty
// reception list accepts any satellite.
struct CheckedElementText {
    std::string text;
    int setCount = 0;
    bool ok() const { return !text.empty(); }
};
CheckedElementText CheckDownloadedElements(const std::string& body, const ReceptionList& selected);

}  // namespace sorae
