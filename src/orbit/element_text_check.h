// Checks and normalises the text of a downloaded element file before it is
// allowed to replace the one on disk.
#pragma once

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

}  // namespace sorae
