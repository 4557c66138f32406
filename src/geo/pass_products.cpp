#include "geo/pass_products.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geo/coast_alignment.h"
#include "geo/geotiff_file.h"
#include "geo/orbit_source.h"
#include "geo/plate_carree.h"
#include "orbit/orbital_elements.h"
#include "orbit/sgp4_propagator.h"

namespace sorae {

namespace {
constexpr double kWarnDays = 5.0;
constexpr double kRefuseDays = 60.0;

std::string Fixed(double v, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}
}  // namespace

std::optional<SwathInputs> PassSwathInputs(const PassGeoRequest& rq, std::string* message) {
    auto fail = [&](const std::string& text) -> std::optional<SwathInputs> {
        if (message) *message = text;
        return std::nullopt;
    };
    if (!rq.satellite) return fail("no satellite named (--satellite)");
    if (!rq.startUnixSeconds && rq.rowUnixSeconds.empty()) return fail("the recording's start time is unknown");
    if (rq.rows < 2) return fail("too few picture rows");
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, rq.elementFile) != 0 && count == 0)
        return fail("the element file " + rq.elementFile + " cannot be read");
    const std::string wanted = NormalisedSatelliteName(*rq.satellite);
    const double passTime = rq.startUnixSeconds.value_or(rq.rowUnixSeconds.front());
    const OrbitalElements* best = nullptr;
    double bestDays = 0.0;
    for (int i = 0; i < count; ++i) {
        if (NormalisedSatelliteName(sets[i].name) != wanted) continue;
        const auto epoch = ElementEpochUnixSeconds(sets[i].epoch);
        if (!epoch) continue;
        const double days = std::abs(passTime - *epoch) / 86400.0;
        if (!best || days < bestDays) best = &sets[i], bestDays = days;
    }
    if (!best) return fail("no element set for " + *rq.satellite + " in " + rq.elementFile);
    if (bestDays > kRefuseDays)
        return fail("the element set of " + *rq.satellite + " is " + Fixed(bestDays, 0) +
                    " days from the pass (more than 60)");
    if (bestDays > kWarnDays && message)
        *message = "warning: the element set is " + Fixed(bestDays, 1) + " days from the pass";
    std::string error;
    const auto propagator = Sgp4Propagator::fromElements(*best, &error);
    if (!propagator) return fail("the element set of " + *rq.satellite + " is unusable: " + error);

    SwathInputs in;
    in.orbit = OrbitFromPropagator(*propagator);
    in.turned = rq.turned;
    in.offsets = rq.offsets;
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

PassGeoResult WritePassGeoProducts(const PassGeoRequest& rq) {
    PassGeoResult result;
    std::string message;
    auto inputs = PassSwathInputs(rq, &message);
    if (!message.empty()) result.messages.push_back(inputs ? message : "no map products: " + message);
    if (!inputs) return result;
    const int first = ImageAreaFirstColumn(rq.turned);
    std::array<std::vector<float>, 2> values;
    for (int channel = 0; channel < 2; ++channel) {
        const PictureBuffer* picture = rq.pictures[channel];
        if (!picture || picture->height < rq.rows) continue;
        values[channel].resize(std::size_t(kImageWords) * rq.rows);
        for (int r = 0; r < rq.rows; ++r)
            for (int c = 0; c < kImageWords; ++c)
                values[channel][std::size_t(r) * kImageWords + c] = float(picture->grey(first + c, r));
    }
    if (rq.align) {
        const auto outline = LoadWorldOutline(rq.worldOutlineFile);
        if (!outline) {
            result.messages.push_back("kept: the world outline " + rq.worldOutlineFile + " cannot be read");
        } else {
            const AlignmentResult aligned = AlignToCoasts(*inputs, values, *outline);
            result.messages.push_back(aligned.text);
            if (aligned.applied) {
                inputs->offsets.timeSeconds += aligned.timeOffsetSeconds;
                inputs->offsets.rollDeg += aligned.rollDeg;
            }
        }
    }
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
        // grey 0 marks no data; real black becomes 1
        std::vector<std::uint8_t> grey(raster.values.size(), 0);
        for (std::size_t i = 0; i < grey.size(); ++i)
            if (!std::isnan(raster.values[i]))
                grey[i] = static_cast<std::uint8_t>(std::clamp(std::lround(raster.values[i]), 1L, 255L));
        const std::size_t dot = jpeg.find_last_of('.');
        const std::string path = (dot == std::string::npos ? jpeg : jpeg.substr(0, dot)) + ".tif";
        GeoTiffGeoreference where{raster.westDeg, raster.northDeg, raster.cellDeg, {}, 0.0};
        std::string error;
        if (WriteGeoTiff(path, raster.width, raster.height, grey, where, &error))
            result.filesWritten.push_back(path);
        else
            result.messages.push_back("no map product: " + error);
    }
    return result;
}

}  // namespace sorae
