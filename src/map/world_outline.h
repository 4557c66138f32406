// The world outline file held in memory as lines to trace over other
// pictures: every polygon ring (coasts, lake shores) as a closed line, cut
// where the data cuts the world along the 180th meridian or a pole, and
// every border line as it is. Read once; tracing it over a pass picture
// needs no further file access.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "map/globe_clipping.h"

namespace sorae {

enum class OutlineKind { Coast, Border };

struct OutlineLine {
    OutlineKind kind = OutlineKind::Coast;
    std::vector<GeoVertex> points;  // at least two
};

class WorldOutline {
public:
    // Nothing (and *error) when the file cannot be opened.
    static std::optional<WorldOutline> load(const std::string& path, std::string* error = nullptr);
    static WorldOutline fromLines(std::vector<OutlineLine> lines);

    const std::vector<OutlineLine>& lines() const { return lines_; }
    std::size_t vertexCount() const;

private:
    std::vector<OutlineLine> lines_;
};

}  // namespace sorae
