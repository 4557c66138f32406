#include "orbit/element_text_check.h"

#include <algorithm>
#include <cstring>

namespace sorae {

std::vector<std::string> splitElementLines(const std::string& text) {
    std::vector<std::string> lines;
    const std::size_t end = std::min(text.size(), std::strlen(text.c_str()));
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < end; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < end && text[i + 1] == '\n') ++i;
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending) lines.push_back(current);
    return lines;
}

std::string joinWithCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

static bool isElementLine(const std::string& line, char number) {
    return line.size() >= 69 && line[0] == number && line[1] == ' ';
}

bool containsCompleteElementSet(const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        if (!isElementLine(lines[i], '1') && !isElementLine(lines[i], '2') &&
            isElementLine(lines[i + 1], '1') && isElementLine(lines[i + 2], '2'))
            return true;
    }
    return false;
}

}  // namespace sorae
