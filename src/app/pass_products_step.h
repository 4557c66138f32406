// The step after a pass's pictures are saved: its calibration from the
// lines still in the store, and the calibrated products the settings or the
// command line ask for, written beside the pictures. Shared by `decode`,
// live reception and replay.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "calibration/pass_products.h"

namespace sorae {

struct PassProductsInput {
    const LineStore* store = nullptr;
    int firstLine = 0;
    int rows = 0;
    int direction = 0;
    std::string satellite;                   // "" for a manual reception
    std::vector<std::string> picturesSaved;  // the JPEG files of the pass (A and/or B)
    std::array<std::string, 2> sensorNames;
    double passTime = 0.0;                   // day count, station time, for the title
    std::vector<ProductKind> kinds;
    bool automaticLevel = false;   // the gain was set line by line
    // From the pass's place on Earth, when known: the land under the map-coloured
    // picture and the tie points that make the temperature TIFF a GeoTIFF.
    std::optional<std::vector<std::uint8_t>> landMask;
    std::array<std::vector<TiePoint>, 2> tiePoints;
};

struct PassProductsOutcome {
    PassCalibration calibration;
    ProductReport report;
    std::string text;   // what was calibrated and written, for a terminal or a log
};

// Which channel picture a saved file is ("...A.jpg", "...B-2.jpg"): 0, 1, or -1.
int ChannelOfPictureFile(const std::string& path);

// The JPEG of each channel among the files a pass saved ("" where none),
// numbered names of a second pass of the same minute included.
std::array<std::string, 2> ChannelJpegFiles(const std::vector<std::string>& filesWritten);

PassProductsOutcome MakePassProducts(const PassProductsInput& in, const ThermalDecorator& decorate);

}  // namespace sorae
