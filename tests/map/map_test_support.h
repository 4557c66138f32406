// Shared helpers of the map tests: the shipped outline file, temporary map
// files, pixel colours and optional screenshots.
#pragma once

#include <QColor>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "map/satellite_track.h"
#include "settings/app_settings.h"

namespace sorae::maptest {

inline std::string ShippedMapPath() { return std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map"; }
inline std::string ElementFixturePath() {
    return std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-01-24.txt";
}

// Writes text to a file of its own in the build tree and returns the path.
inline std::string WriteTempFile(const std::string& name, const std::string& text) {
    const std::string path = std::string(SORAE_BINARY_DIR) + "/map_test_" + name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

// 0x00BBGGRR of the pixel, for comparison with colour settings.
inline ColourValue PixelValue(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return static_cast<ColourValue>(c.red()) | (static_cast<ColourValue>(c.green()) << 8) |
           (static_cast<ColourValue>(c.blue()) << 16);
}

// Saves the picture when SORAE_MAP_SHOTS names a folder (used by hand to
// look at the rendering).
inline void MaybeSaveShot(const QImage& image, const std::string& name) {
    if (const char* dir = std::getenv("SORAE_MAP_SHOTS")) image.save(QString::fromStdString(std::string(dir) + "/" + name));
}

// A track source with fixed answers.
class FixedTrackSource : public MapTrackSource {
public:
    std::optional<std::vector<SatelliteTrack>> ground = std::vector<SatelliteTrack>{};
    std::optional<SatelliteTrack> pass;
    std::optional<std::vector<SatelliteTrack>> groundTracks() override { return ground; }
    std::optional<SatelliteTrack> passTrack() override { return pass; }
};

}  // namespace sorae::maptest
