// The georeferenced products of one decoded pass: for each channel picture a
// GeoTIFF on a latitude/longitude grid, named like its JPEG with ".tif", and
// when asked one on the polar stereographic grid of its hemisphere
// ("-polar.tif").
// Everything that can go wrong (no element set, one too far from the pass,
// no start time, an unknown satellite) ends in a message; the plain
// pictures are never touched.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "geo/plate_carree.h"
#include "geo/swath_geolocation.h"
#include "imaging/picture_buffer.h"

namespace sorae {

struct PassGeoRequest {
    std::optional<std::string> satellite;  // as the user named it ("NOAA-19")
    std::optional<double> startUnixSeconds;  // the recording's first sample, UTC
    bool startApproximate = false;          // a guess (the file's modification time), not a record
    std::vector<double> rowUnixSeconds;    // optional: the saved rows' own times
    int firstLine = 0;                      // store line of the first (scan-order) row
    int rows = 0;
    bool turned = false;                    // a south-to-north pass, saved turned
    double secondsPerLine = 0.5;
    std::string elementFile;
    GeoreferenceOffsets offsets;
    std::array<const PictureBuffer*, 2> pictures{nullptr, nullptr};
    std::array<std::string, 2> jpegFiles;   // the channel pictures as saved
    bool align = true;                      // fit the time to the coasts
    bool polar = false;                     // also a polar stereographic GeoTIFF per channel
    std::string worldOutlineFile;           // AllWorld.map
};

struct PassGeoResult {
    std::vector<std::string> filesWritten;
    std::vector<std::string> messages;      // one line each, for the user
    // the first channel laid on the grid, for an overlay picture of the pass
    PlateCarreeRaster overlay;
    std::string overlayStem;                // its JPEG's path without the extension
};


// The inputs of the swath of a request (nothing, with the reason, when it
// cannot be placed); *message may also hold a warning.
std::optional<SwathInputs> PassSwathInputs(const PassGeoRequest& request, std::string* message);

// The picture words of each channel as the alignment and the resampling
// take them (image rows of 909 words; empty for a channel not given).
std::array<std::vector<float>, 2> RequestImageValues(const PassGeoRequest& request);

// The swath inputs of a request, ready to place: the direction note, then
// the time and roll fitted to the coasts when the request asks (with a
// warning when an approximate start was not confirmed by them); what was
// done goes to `messages`. Nothing when the pass cannot be placed, the
// reason in `messages` after `failurePrefix` ("no map products: ").
std::optional<SwathInputs> PreparedSwathInputs(const PassGeoRequest& request,
                                               const std::array<std::vector<float>, 2>& values,
                                               const std::string& failurePrefix, std::vector<std::string>& messages);

PassGeoResult WritePassGeoProducts(const PassGeoRequest& request);

}  // namespace sorae
