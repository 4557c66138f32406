#include "geo/pass_placement.h"

namespace sorae {

PassPlacement PlacePass(const PassGeoRequest& rq) {
    PassPlacement placement;
    auto inputs = PreparedSwathInputs(rq, RequestImageValues(rq), "no map overlay: ", placement.messages);
    if (!inputs) return placement;
    std::string error;
    placement.swath = SwathGeolocation::build(*inputs, &error);
    if (!placement.swath) placement.messages.push_back("no map overlay: the pass cannot be placed: " + error);
    return placement;
}

}  // namespace sorae
