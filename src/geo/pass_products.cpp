#include "geo/pass_products.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

std::optional<SwathGeolocation> PassSwath(const PassGeoRequest& rq, std::string* message) {
    auto fail = [&](const std::string& text) -> std::optional<SwathGeolocation> {
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
    auto swath = SwathGeolocation::build(in, &error);
    if (!swath) return fail("the pass cannot be placed: " + error);
    return swath;
}

PassGeoResult WritePassGeoProducts(const PassGeoRequest& rq) {
    PassGeoResult result;
    std::string message;
    const auto swath = PassSwath(rq, &message);
    if (!message.empty()) result.messages.push_back(swath ? message : "no map products: " + message);
    if (!swath) return result;
    const int first = ImageAreaFirstColumn(rq.turned);
    for (int channel = 0; channel < 2; ++channel) {
        const PictureBuffer* picture = rq.pictures[channel];
        const std::string& jpeg = rq.jpegFiles[channel];
        if (!picture || jpeg.empty() || picture->height < swath->rows()) continue;
        std::vector<float> values(std::size_t(kImageWords) * swath->rows());
        for (int r = 0; r < swath->rows(); ++r)
            for (int c = 0; c < kImageWords; ++c)
                values[std::size_t(r) * kImageWords + c] = float(picture->grey(first + c, r));
        const PlateCarreeRaster raster = ResampleToPlateCarree(*swath, values);
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
