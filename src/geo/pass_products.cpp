#include "geo/pass_products.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "apt/word_phase.h"
#include "geo/alignment_report.h"
#include "geo/coast_alignment.h"
#include "geo/geotiff_file.h"
#include "geo/orbit_source.h"
#include "geo/pass_direction.h"
#include "geo/plate_carree.h"
#include "geo/polar_stereographic.h"
#include "orbit/element_choice.h"

namespace sorae {

std::optional<SwathInputs> PassSwathInputs(const PassGeoRequest& rq, std::string* message) {
    auto fail = [&](const std::string& text) -> std::optional<SwathInputs> {
        if (message) *message = text;
        return std::nullopt;
    };
    if (!rq.satellite) return fail("the satellite is unknown (name it with --satellite)");
    if (!rq.startUnixSeconds && rq.rowUnixSeconds.empty()) return fail("the recording's start time is unknown");
    if (rq.rows < 2) return fail("too few picture rows");
    double passTime = rq.startUnixSeconds.value_or(NAN);
    for (double t : rq.rowUnixSeconds)
        if (!std::isfinite(passTime)) passTime = t;
    if (!std::isfinite(passTime)) return fail("the recording's start time is unknown");
    const ElementChoice choice = ChooseElementSetFromFile(rq.elementFile, *rq.satellite, passTime);
    if (!choice.usable()) return fail(choice.message);
    if (choice.status == ElementChoiceStatus::Distant && message) *message = "warning: " + choice.message;
    const Sgp4Propagator& propagator = *choice.propagator;

    SwathInputs in;
    in.orbit = OrbitFromPropagator(propagator);
    in.turned = rq.turned;
    in.offsets = rq.offsets;
    in.wordLeadWords = kDecodedWordLeadWords;
    in.rowUnixSeconds = rq.rowUnixSeconds;
    if (in.rowUnixSeconds.empty()) {
        in.rowUnixSeconds.resize(rq.rows);
        for (int r = 0; r < rq.rows; ++r) {
            const int line = rq.firstLine + (rq.turned ? rq.rows - 1 - r : r);
            in.rowUnixSeconds[r] = *rq.startUnixSeconds + line * rq.secondsPerLine;
        }
    }
    return in;
}

std::array<std::vector<float>, 2> RequestImageValues(const PassGeoRequest& rq) {
    const int first = ImageAreaFirstColumn(rq.turned);
    std::array<std::vector<float>, 2> values;
    for (int channel = 0; channel < 2; ++channel) {
        const PictureBuffer* picture = rq.pictures[std::size_t(channel)];
        if (!picture || picture->height < rq.rows || picture->width < first + kImageWords) continue;
        auto& v = values[std::size_t(channel)];
        v.resize(std::size_t(kImageWords) * std::size_t(rq.rows));
        for (int r = 0; r < rq.rows; ++r)
            for (int c = 0; c < kImageWords; ++c)
                v[std::size_t(r) * kImageWords + std::size_t(c)] = float(picture->grey(first + c, r));
    }
    return values;
}

std::optional<SwathInputs> PreparedSwathInputs(const PassGeoRequest& rq, const std::array<std::vector<float>, 2>& values,
                                               const std::string& failurePrefix, std::vector<std::string>& messages) {
    std::string message;
    auto prepared = PassSwathInputs(rq, &message);
    if (!message.empty()) messages.push_back(prepared ? message : failurePrefix + message);
    if (!prepared) return std::nullopt;
    SwathInputs& inputs = *prepared;
    if (auto note = PassDirectionNote(inputs)) messages.push_back(std::move(*note));
    bool confirmed = false;
    if (rq.align) {
        if (const auto outline = LoadWorldOutline(rq.worldOutlineFile)) {
            const AlignmentResult aligned = AlignToCoasts(inputs, values, *outline);
            messages.push_back(AlignmentReport(aligned));
            if (aligned.applied) {
                inputs.offsets.timeSeconds += aligned.timeOffsetSeconds;
                inputs.offsets.rollDeg += aligned.rollDeg;
                confirmed = true;
            }
        } else {
            messages.push_back("kept: the world outline " + rq.worldOutlineFile + " cannot be read");
        }
    }
    if (rq.startApproximate && !confirmed)
        messages.push_back("warning: the recording's start is only approximate and the coasts did not confirm "
                           "it, so the pass may be placed far off; give its start (decode --start, or the replay's "
                           "start time)");
    return prepared;
}

PassGeoResult WritePassGeoProducts(const PassGeoRequest& rq) {
    PassGeoResult result;
    const std::array<std::vector<float>, 2> values = RequestImageValues(rq);
    auto inputs = PreparedSwathInputs(rq, values, "no map products: ", result.messages);
    if (!inputs) return result;
    std::string error;
    const auto swath = SwathGeolocation::build(*inputs, &error);
    if (!swath) {
        result.messages.push_back("no map products: the pass cannot be placed: " + error);
        return result;
    }
    for (int channel = 0; channel < 2; ++channel) {
        const std::string& jpeg = rq.jpegFiles[channel];
        if (values[channel].empty() || jpeg.empty()) continue;
        const PlateCarreeRaster raster = ResampleToPlateCarree(*swath, values[channel]);
        const std::size_t dot = jpeg.find_last_of('.');
        const std::string stem = dot == std::string::npos ? jpeg : jpeg.substr(0, dot);
        auto write = [&](const std::string& path, int width, int height, const std::vector<float>& cells,
                         const GeoTiffGeoreference& where) {
            // grey 0 marks no data; real black becomes 1
            std::vector<std::uint8_t> grey(cells.size(), 0);
            for (std::size_t i = 0; i < grey.size(); ++i)
                if (!std::isnan(cells[i])) grey[i] = static_cast<std::uint8_t>(std::clamp(std::lround(cells[i]), 1L, 255L));
            std::string error;
            if (WriteGeoTiff(path, width, height, grey, where, &error))
                result.filesWritten.push_back(path);
            else
                result.messages.push_back("no map product: " + error);
        };
        write(stem + ".tif", raster.width, raster.height, raster.values,
              GeoTiffGeoreference{raster.westDeg, raster.northDeg, raster.cellDeg, {}, 0.0, {}});
        if (rq.polar) {
            std::string error;
            const auto polar = ResampleToPolarStereographic(*swath, values[channel], &error);
            if (polar)
                write(stem + "-polar.tif", polar->width, polar->height, polar->values,
                      GeoTiffGeoreference{0.0, 0.0, 0.0, {}, 0.0,
                                          GeoTiffGeoreference::ProjectedGrid{polar->epsg, polar->westMetres,
                                                                             polar->northMetres, polar->cellMetres}});
            else
                result.messages.push_back("no polar map product: " + error);
        }
        if (result.overlay.width == 0) {
            result.overlay = raster;
            result.overlayStem = stem;
        }
    }
    if (result.filesWritten.empty() && result.overlay.width == 0)
        result.messages.push_back("no map products: no saved channel picture to place");
    return result;
}

}  // namespace sorae
