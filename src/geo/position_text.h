// The latitude and longitude of a place as the status bar shows it under
// the mouse pointer: "北緯 35.68° 東経 139.69°" (north/south latitude,
// east/west longitude, two decimals, about a kilometre).
#pragma once

#include <string>

#include "geo/swath_geolocation.h"

namespace sorae {

std::string PositionText(GeoPoint place);

}  // namespace sorae
