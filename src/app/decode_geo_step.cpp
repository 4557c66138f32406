#include "app/decode_geo_step.h"

#include <utility>

#include "app/pass_products_step.h"
#include "geo/land_mask.h"
#include "geo/pass_products.h"
#include "geo/qt/kml_overlay.h"
#include "geo/tie_points.h"
#include "geo/world_outline.h"

namespace sorae {

void PlacedPasses::put(const std::string& recordingPath, PlacedPassInputs inputs) {
    std::lock_guard lock(mutex_);
    passes_[recordingPath] = std::move(inputs);
}

std::optional<PlacedPassInputs> PlacedPasses::take(const std::string& recordingPath) {
    std::lock_guard lock(mutex_);
    const auto it = passes_.find(recordingPath);
    if (it == passes_.end()) return std::nullopt;
    PlacedPassInputs inputs = std::move(it->second);
    passes_.erase(it);
    return inputs;
}

namespace {

// GeoTIFFs of both channels and the ground overlay of the first.
void writeGeoFiles(const DecodedPass& pass, const DecodedPassSettings& place, std::vector<std::string>& notes) {
    PassGeoResult result = WritePassGeoProducts(DecodedPassGeoRequest(pass, place));
    notes.insert(notes.end(), result.messages.begin(), result.messages.end());
    if (result.overlay.width > 0) {
        std::string error;
        const std::string kml = result.overlayStem + ".kml";
        const std::string name = result.overlayStem.substr(result.overlayStem.find_last_of('/') + 1);
        if (WriteKmlOverlay(kml, name, result.overlay, &error))
            result.filesWritten.push_back(kml);
        else
            notes.push_back("no ground overlay: " + error);
    }
    for (const std::string& file : result.filesWritten) notes.push_back("wrote " + file);
}

}  // namespace

PlacedPassInputs PlacedPassInputsOf(const SwathGeolocation& swath, const std::string& worldMapFile,
                                    std::vector<std::string>& notes) {
    PlacedPassInputs inputs;
    if (const auto outline = LoadWorldOutline(worldMapFile))
        inputs.landMask = RenderLandMask(swath, *outline);
    else
        notes.push_back("no land mask for the map-coloured picture: the world outline " + worldMapFile +
                        " could not be read");
    // The temperature TIFF holds the 909 image words of a channel.
    std::vector<TiePoint> points;
    for (const GeoTiffTiePoint& p : PictureTiePoints(swath, 0))
        points.push_back({p.pixel, p.line, p.longitudeDeg, p.latitudeDeg});
    inputs.tiePoints = {points, points};
    return inputs;
}

ProductReport WritePlacedPassProducts(const PassCalibration& calibration, const std::vector<std::string>& picturesSaved,
                                      const std::vector<ProductKind>& chosen, const PlacedPassInputs& placed) {
    ProductRequest request;
    for (const ProductKind kind : chosen)
        if (kind == ProductKind::MapColour || kind == ProductKind::Temperature) request.kinds.push_back(kind);
    bool saved = false;
    for (const std::string& path : picturesSaved)
        if (const int channel = ChannelOfPictureFile(path); channel >= 0) {
            request.picturePaths[std::size_t(channel)] = path;
            saved = true;
        }
    if (request.kinds.empty() || !saved) return {};
    request.landMask = placed.landMask;
    request.tiePoints = placed.tiePoints;
    // neither product draws a title or a legend
    return WriteProducts(calibration, request, {});
}

AfterPicturesStep MakeDecodeGeoStep(const DecodeGeoChoices& choices, std::shared_ptr<PlacedPasses> placed) {
    if (!choices.geoTiff && !choices.overlay && !choices.keepPlacement) return {};
    return [choices, placed](const std::string& path, const LineStore& store, const PassPictureResult& pictures,
                             const std::optional<RecordingStart>& start) {
        std::vector<std::string> notes;
        std::optional<std::array<PictureBuffer, 2>> untitled;
        // the pictures' own direction, which the orbit may have told, and
        // their satellite, which the file name or its frequency may have
        DecodedPassSettings place = choices.place;
        place.direction = pictures.direction;
        if (!place.satellite && !pictures.satelliteName.empty()) place.satellite = pictures.satelliteName;
        if (pictures.titled) untitled = UntitledPictures(store, pictures, place.direction);
        const DecodedPass pass{path, &store, &pictures, start, untitled ? &*untitled : nullptr};
        // The GeoTIFFs are made from the plain pictures, before the overlay
        // replaces the saved JPEGs.
        if (choices.geoTiff) writeGeoFiles(pass, place, notes);
        const bool keep = choices.keepPlacement && placed != nullptr;
        if (!choices.overlay && !keep) return notes;
        PassPlacement placement = PlaceDecodedPass(pass, place);
        // --geo has told the same placement and alignment already
        if (!choices.geoTiff)
            notes.insert(notes.end(), placement.messages.begin(), placement.messages.end());
        if (!placement.swath) return notes;
        if (choices.overlay) {
            const auto drawn = OverlaySavedPictures(pass, place, *placement.swath);
            notes.insert(notes.end(), drawn.begin(), drawn.end());
        }
        if (keep) placed->put(path, PlacedPassInputsOf(*placement.swath, place.worldMapFile, notes));
        return notes;
    };
}

}  // namespace sorae
