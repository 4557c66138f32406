#include "orbit/element_text_check.h"

#include "orbit/orbital_elements.h"
#include "orbit/sgp_propagator.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

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

static bool sameSatelliteNumber(const std::string& line1, const std::string& line2) {
    return line1.compare(2, 5, line2, 2, 5) == 0;
}

// The set as the pass search would take it: a readable near-earth orbit.
static bool usableSet(const std::string& name, const std::string& line1, const std::string& line2,
                      const ReceptionList& selected, bool anySatellite) {
    OrbitalElements el;
    ParseElementLines(el, name, line1, line2);
    if (!(el.meanMotion > 0.0) || !(el.eccentricity < 1.0) || !(el.epoch > 0.0)) return false;
    PrepareElements(el);
    if (!IsNearEarth(el)) return false;
    NormaliseSatelliteName(el);
    return anySatellite || std::find(selected.begin(), selected.end(), el.name) != selected.end();
}

CheckedElementText CheckDownloadedElements(const std::string& body, const ReceptionList& selected) {
    CheckedElementText out;
    if (body.find('\0') != std::string::npos) return out;
    std::string_view text(body);
    if (text.substr(0, 3) == kByteOrderMark) text.remove_prefix(3);
    std::vector<std::string> lines;
    for (auto& line : splitElementLines(std::string(text)))
        if (!IsBlankElementLine(line)) lines.push_back(std::move(line));
    if (lines.empty() || lines.size() % 3 != 0) return out;

    const bool anySatellite =
        std::all_of(selected.begin(), selected.end(), [](const std::string& n) { return n.empty(); });
    bool selectedSeen = false;
    for (std::size_t i = 0; i < lines.size(); i += 3) {
        const std::string& name = lines[i];
        const std::string& line1 = lines[i + 1];
        const std::string& line2 = lines[i + 2];
        if (isElementLine(name, '1') || isElementLine(name, '2') || !isElementLine(line1, '1') ||
            !isElementLine(line2, '2') || !sameSatelliteNumber(line1, line2))
            return out;
        // The reader takes the first kMaxElementSets sets only.
        if (i / 3 < std::size_t(kMaxElementSets) && usableSet(name, line1, line2, selected, anySatellite))
            selectedSeen = true;
    }
    if (!selectedSeen) return out;
    out.text = joinWithCrLf(lines);
    out.setCount = int(lines.size() / 3);
    return out;
}

}  // namespace sorae
