// The map steps of `decode` after a recording's pictures are saved: the
// GeoTIFFs and ground overlay (--geo), the map drawn onto the pictures
// (--overlay), and the pass's place on Earth kept for the calibrated
// products that need it (the land mask of the map-coloured picture, the
// tie points that make the temperature TIFF a GeoTIFF). Recordings of a
// batch run on several threads; what is kept for the products is handed
// over by recording path.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/decoded_pass_overlay.h"
#include "calibration/pass_products.h"
#include "calibration/temperature_tiff.h"
#include "recording/pass_file_decoder.h"

namespace sorae {

// What the calibrated products take from a placed pass.
struct PlacedPassInputs {
    std::optional<std::vector<std::uint8_t>> landMask;  // 909 x rows, picture geometry, 1 land
    std::array<std::vector<TiePoint>, 2> tiePoints;     // for each channel's 909-word image area
};

// What the products take from a pass placed by `swath`: the land mask from
// the world outline (a note says when it cannot be read) and the tie points
// of the 909-word image area.
PlacedPassInputs PlacedPassInputsOf(const SwathGeolocation& swath, const std::string& worldMapFile,
                                    std::vector<std::string>& notes);

// The products of a received or replayed pass made again once it is placed,
// for those of `chosen` that need the place: the map-coloured picture and
// the temperature TIFF (then a GeoTIFF). Nothing is written when none of
// them was chosen or no channel picture was saved.
ProductReport WritePlacedPassProducts(const PassCalibration& calibration, const std::vector<std::string>& picturesSaved,
                                      const std::vector<ProductKind>& chosen, const PlacedPassInputs& placed);

// Placed passes waiting for their products, by recording path.
class PlacedPasses {
public:
    void put(const std::string& recordingPath, PlacedPassInputs inputs);
    // The inputs kept for the recording (removed), or nothing.
    std::optional<PlacedPassInputs> take(const std::string& recordingPath);

private:
    std::mutex mutex_;
    std::map<std::string, PlacedPassInputs> passes_;
};

struct DecodeGeoChoices {
    bool geoTiff = false;        // --geo: GeoTIFF per channel and the KML ground overlay
    bool overlay = false;        // --overlay or Pic/MapOverlay: the map drawn onto the JPEGs
    bool keepPlacement = false;  // the products want the land mask or tie points
    DecodedPassSettings place;   // satellite, direction, elements, outline, alignment, offsets
};

using AfterPicturesStep = decltype(PassFileOptions::afterPictures);

// The step for PassFileOptions::afterPictures; empty when nothing is chosen.
// `placed` receives the placement when choices.keepPlacement is set.
AfterPicturesStep MakeDecodeGeoStep(const DecodeGeoChoices& choices, std::shared_ptr<PlacedPasses> placed);

}  // namespace sorae
