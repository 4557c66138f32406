#include "geo/position_text.h"

#include <cmath>
#include <cstdio>

namespace sorae {

std::string PositionText(GeoPoint place) {
    double lon = std::fmod(place.longitudeDeg, 360.0);
    if (lon > 180.0) lon -= 360.0;
    if (lon <= -180.0) lon += 360.0;
    // Rounded first, so that -0.001 is not told as south.
    const double lat = std::round(place.latitudeDeg * 100.0) / 100.0;
    lon = std::round(lon * 100.0) / 100.0;
    char text[96];
    std::snprintf(text, sizeof text, "%s %.2f\u00B0 %s %.2f\u00B0", lat < 0 ? "南緯" : "北緯", std::abs(lat),
                  lon < 0 ? "西経" : "東経", std::abs(lon));
    return text;
}

}  // namespace sorae
