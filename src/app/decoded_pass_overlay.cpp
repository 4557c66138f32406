#include "app/decoded_pass_overlay.h"

#include <cmath>
#include <mutex>

#include "app/pass_products_step.h"
#include "geo/pass_placement.h"
#include "geo/picture_overlay.h"
#include "geo/world_outline.h"
#include "imaging/qt/picture_image.h"
#include "imaging/qt/picture_overlay_painter.h"

namespace sorae {

std::array<PictureBuffer, 2> UntitledPictures(const LineStore& store, const PassPictureResult& pictures, int direction) {
    std::array<PictureBuffer, 2> plain;
    for (int channel = 0; channel < 2; ++channel)
        FillChannelPicture(store, channel, pictures.firstLine, pictures.rows, direction, pictures.gain[std::size_t(channel)],
                           pictures.offset[std::size_t(channel)], plain[std::size_t(channel)]);
    return plain;
}

PassGeoRequest DecodedPassGeoRequest(const DecodedPass& pass, const DecodedPassSettings& settings) {
    PassGeoRequest request;
    const PassPictureResult& pictures = *pass.pictures;
    request.satellite = settings.satellite;
    request.firstLine = pictures.firstLine;
    request.rows = pictures.rows;
    request.turned = settings.direction == 1;
    if (pass.start) {
        request.startUnixSeconds = pass.start->unixSeconds;
        request.startApproximate = pass.start->approximate;
        request.rowUnixSeconds.resize(std::size_t(std::max(0, pictures.rows)));
        for (int r = 0; r < pictures.rows; ++r) {
            const int line = pictures.firstLine + (request.turned ? pictures.rows - 1 - r : r);
            const double seconds = pass.store->lineSeconds(line);
            if (!std::isfinite(seconds)) {
                request.rowUnixSeconds.clear();
                break;
            }
            request.rowUnixSeconds[std::size_t(r)] = pass.start->unixSeconds + seconds;
        }
    }
    if (request.satellite) {
        const SatelliteOffsets o = OffsetsForSatellite(settings.offsets, *request.satellite);
        request.offsets = GeoreferenceOffsets{o.timeSeconds, o.rollDeg, o.pitchDeg, o.yawDeg};
    }
    request.elementFile = settings.elementFile;
    request.align = settings.align;
    request.polar = settings.polar;
    request.worldOutlineFile = settings.worldMapFile;
    if (pass.untitled)
        request.pictures = {&(*pass.untitled)[0], &(*pass.untitled)[1]};
    else
        request.pictures = {&pictures.pictureA, &pictures.pictureB};
    request.jpegFiles = ChannelJpegFiles(pictures.filesWritten);
    return request;
}

PassPlacement PlaceDecodedPass(const DecodedPass& pass, const DecodedPassSettings& settings) {
    return PlacePass(DecodedPassGeoRequest(pass, settings));
}

std::vector<std::string> OverlaySavedPictures(const DecodedPass& pass, const DecodedPassSettings& settings) {
    const PassGeoRequest request = DecodedPassGeoRequest(pass, settings);
    if (request.jpegFiles[0].empty() && request.jpegFiles[1].empty()) return {};
    PassPlacement placement = PlacePass(request);
    std::vector<std::string> notes = std::move(placement.messages);
    if (!placement.swath) return notes;
    const auto drawn = OverlaySavedPictures(pass, settings, *placement.swath);
    notes.insert(notes.end(), drawn.begin(), drawn.end());
    return notes;
}

std::vector<std::string> OverlaySavedPictures(const DecodedPass& pass, const DecodedPassSettings& settings,
                                              const SwathGeolocation& swath) {
    std::vector<std::string> notes;
    const PassGeoRequest request = DecodedPassGeoRequest(pass, settings);
    if (request.jpegFiles[0].empty() && request.jpegFiles[1].empty()) return notes;
    const auto outline = LoadWorldOutline(settings.worldMapFile);
    if (!outline) {
        notes.push_back("no map overlay: the world outline " + settings.worldMapFile + " cannot be read");
        return notes;
    }
    OverlayOptions options;
    options.rows = request.rows;
    const auto footprint = SwathFootprint::fromPicture(
        [&swath](PicturePoint p) { return swath.groundPoint(p); }, options.columns, options.rows);
    const PictureOverlay overlay = BuildPictureOverlay(
        OutlineTraceLines(*outline), [&swath](GeoPoint g) { return swath.picturePoint(g); }, footprint, options);
    const OverlayDrawing drawing(overlay, ImageAreaFirstColumn(request.turned));

    // Text drawing shares the font machinery with the titles of passes
    // decoded beside this one.
    static std::mutex painting;
    const PictureBuffer* pictures[2] = {&pass.pictures->pictureA, &pass.pictures->pictureB};
    for (int channel = 0; channel < 2; ++channel) {
        const std::string& path = request.jpegFiles[std::size_t(channel)];
        if (path.empty()) continue;
        QImage drawn;
        {
            const std::lock_guard<std::mutex> lock(painting);
            drawn = PictureWithOverlay(PictureToImage(*pictures[channel]), drawing);
        }
        std::string error;
        if (SaveColourJpeg(drawn, path, &error))
            notes.push_back("map overlay drawn on " + path);
        else
            notes.push_back("no map overlay on " + path + ": " + error);
    }
    return notes;
}

}  // namespace sorae
