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

#include "common/scratch_folder.h"
#include "map/satellite_track.h"
#include "settings/app_settings.h"

namespace sorae::maptest {

inline std::string ShippedMapPath() { return std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map"; }
inline std::string ElementFixturePath() {
    return std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-01-24.txt";
}

// Writes text to a file in a folder of this test process and returns the
// path. ctest runs the tests of one suite as parallel processes, so a shared
// folder would let one test read the map another has just written.
inline std::string WriteTempFile(const std::string& name, const std::string& text) {
    static const testsupport::ScratchFolder folder("sorae-map-test-");
    const std::string path = folder.file(name);
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
