// A decoded pass placed on Earth for drawing over its pictures: the swath of
// a georeferencing request, its time fitted to the coasts when asked and
// confident, built into a SwathGeolocation. Every reason it cannot be placed
// comes back as a message; nothing is written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geo/pass_products.h"
#include "geo/swath_geolocation.h"

namespace sorae {

struct PassPlacement {
    std::optional<SwathGeolocation> swath;
    std::vector<std::string> messages;  // one line each, for the user
};

PassPlacement PlacePass(const PassGeoRequest& request);

}  // namespace sorae
