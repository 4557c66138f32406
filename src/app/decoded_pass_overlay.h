// The map overlay on the pictures of a decoded recording: the pass is
// placed on Earth from the recording's start time, the satellite and the
// nearest element set (its time fitted to the coasts when asked), and the
// coastlines, borders and grid are drawn onto the channel pictures, which
// replace the saved JPEG files in colour. What could not be done is told in
// notes; the plain pictures then stay as they were saved.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "geo/pass_placement.h"
#include "geo/pass_products.h"
#include "imaging/pass_pictures.h"
#include "recording/recording_start_time.h"
#include "settings/satellite_offsets.h"

namespace sorae {

struct DecodedPass {
    std::string recordingPath;
    const LineStore* store = nullptr;
    const PassPictureResult* pictures = nullptr;
    std::optional<RecordingStart> start;
    // The channel pictures without the title drawn over their top rows:
    // what the map products and the coast fit read when set.
    const std::array<PictureBuffer, 2>* untitled = nullptr;
};

// The pass's channel pictures filled again from the store as they were
// before the title went onto them (the title covers image rows, which must
// not reach a georeferenced product).
std::array<PictureBuffer, 2> UntitledPictures(const LineStore& store, const PassPictureResult& pictures, int direction);

struct DecodedPassSettings {
    std::optional<std::string> satellite;  // as given, or as the pictures were made for
    int direction = 0;                     // 1: S>N, the pictures saved turned
    std::string elementFile;
    std::string worldMapFile;
    bool align = true;
    bool polar = false;  // polar stereographic GeoTIFFs beside the others
    SatelliteOffsetTable offsets{};
};

// The georeferencing request of a decoded pass: every saved row at the time
// its line's sync began (or, where the store has no line times, half a
// second a line from the start), the satellite's offsets from the table.
PassGeoRequest DecodedPassGeoRequest(const DecodedPass& pass, const DecodedPassSettings& settings);

// The pass placed on Earth (see PlacePass), with the request's notes.
PassPlacement PlaceDecodedPass(const DecodedPass& pass, const DecodedPassSettings& settings);

// Draws the overlay onto the saved JPEGs of the pass; one note per file
// drawn on and per reason it could not be.
std::vector<std::string> OverlaySavedPictures(const DecodedPass& pass, const DecodedPassSettings& settings);
// The same with the pass placed already.
std::vector<std::string> OverlaySavedPictures(const DecodedPass& pass, const DecodedPassSettings& settings,
                                              const SwathGeolocation& swath);

}  // namespace sorae
