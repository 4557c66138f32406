#include "geo/pass_placement.h"

#include <array>

#include "geo/alignment_report.h"
#include "geo/coast_alignment.h"
#include "geo/pass_direction.h"
#include "geo/world_outline.h"

namespace sorae {

PassPlacement PlacePass(const PassGeoRequest& rq) {
    PassPlacement placement;
    std::string message;
    auto inputs = PassSwathInputs(rq, &message);
    if (!message.empty()) placement.messages.push_back(inputs ? message : "no map overlay: " + message);
    if (!inputs) return placement;
    if (auto note = PassDirectionNote(*inputs)) placement.messages.push_back(std::move(*note));

    if (rq.align) {
        const int first = ImageAreaFirstColumn(rq.turned);
        std::array<std::vector<float>, 2> values;
        for (int channel = 0; channel < 2; ++channel) {
            const PictureBuffer* picture = rq.pictures[std::size_t(channel)];
            if (!picture || picture->height < rq.rows || picture->width < first + kImageWords) continue;
            auto& v = values[std::size_t(channel)];
            v.resize(std::size_t(kImageWords) * std::size_t(rq.rows));
            for (int r = 0; r < rq.rows; ++r)
                for (int c = 0; c < kImageWords; ++c)
                    v[std::size_t(r) * kImageWords + std::size_t(c)] = float(picture->grey(first + c, r));
        }
        if (const auto outline = LoadWorldOutline(rq.worldOutlineFile)) {
            const AlignmentResult aligned = AlignToCoasts(*inputs, values, *outline);
            placement.messages.push_back(AlignmentReport(aligned));
            if (aligned.applied) {
                inputs->offsets.timeSeconds += aligned.timeOffsetSeconds;
                inputs->offsets.rollDeg += aligned.rollDeg;
            }
        } else {
            placement.messages.push_back("kept: the world outline " + rq.worldOutlineFile + " cannot be read");
        }
    }
    std::string error;
    placement.swath = SwathGeolocation::build(*inputs, &error);
    if (!placement.swath) placement.messages.push_back("no map overlay: the pass cannot be placed: " + error);
    return placement;
}

}  // namespace sorae
