#include "geo/pass_placement.h"

#include "geo/pass_direction.h"

namespace sorae {

PassPlacement PlacePass(const PassGeoRequest& rq) {
    PassPlacement placement;
    std::string message;
    auto inputs = PassSwathInputs(rq, &message);
    if (!message.empty()) placement.messages.push_back(inputs ? message : "no map overlay: " + message);
    if (!inputs) return placement;
    if (auto note = PassDirectionNote(*inputs)) placement.messages.push_back(std::move(*note));

    AlignRequestToCoasts(rq, RequestImageValues(rq), *inputs, placement.messages);
    std::string error;
    placement.swath = SwathGeolocation::build(*inputs, &error);
    if (!placement.swath) placement.messages.push_back("no map overlay: the pass cannot be placed: " + error);
    return placement;
}

}  // namespace sorae
