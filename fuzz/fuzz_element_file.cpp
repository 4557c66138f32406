// Fuzz target: the element file as the program reads it, and what happens to
// every set read before any pass search - unit conversion, the short name,
// the near-earth check, the epoch date and a few propagation steps - plus
// the check a downloaded file goes through before it replaces the old one;
// and every set of the file through SGP4 and the element choice.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "memory_file.h"
#include "orbit/day_time.h"
#include "orbit/element_choice.h"
#include "orbit/element_text_check.h"
#include "orbit/look_angles.h"
#include "orbit/orbital_elements.h"
#include "orbit/sgp4_propagator.h"
#include "orbit/sgp_propagator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sorae::fuzz::MemoryFile file("element-file");
    file.write(data, size);

    sorae::ElementSetArray sets;
    int count = -1;
    const int status = sorae::ReadElementFile(sets, count, file.path());
    if (count < 0 || count > sorae::kMaxElementSets) __builtin_trap();
    if (status != 0 && status != -1) __builtin_trap();

    const sorae::UtcInstant now{2019, 1, 24, 12, 0, 0};
    for (int i = 0; i < count; ++i) {
        sorae::OrbitalElements el = sets[static_cast<std::size_t>(i)];
        if (el.name.size() > 24) __builtin_trap();
        sorae::PrepareElements(el);
        sorae::NormaliseSatelliteName(el);
        if (!sorae::IsNearEarth(el)) continue;
        const sorae::EpochDate epoch = sorae::EpochToCalendar(el.epoch);
        (void)sorae::JulianDayNumber(epoch.date.year, epoch.date.month, epoch.date.day);
        const double minutes = sorae::MinutesSinceEpoch(el.epoch, now);
        const sorae::SgpEpochTerms terms = sorae::SgpEpochTerms::from(el);
        for (const double t : {0.0, minutes, minutes + 102.0}) {
            const sorae::OrbitState state = terms.propagate(t);
            const double gst = sorae::GreenwichSiderealTime(2019, 1, 24, 12.0 + t / 60.0);
            const sorae::Vector3 fixed =
                sorae::Multiply(sorae::EarthRotationMatrix(-gst),
                                {state.positionEarthRadii.x * sorae::kKmPerEarthRadius,
                                 state.positionEarthRadii.y * sorae::kKmPerEarthRadius,
                                 state.positionEarthRadii.z * sorae::kKmPerEarthRadius});
            const sorae::GeodeticPoint point = sorae::EciToGeodetic(fixed);
            (void)sorae::StationElevation(point, 35.7, 139.7);
        }
    }

    // Every set, without the limit (and in the archive forms too: a damaged
    // file may pair its lines otherwise than the three-line reader), through
    // SGP4 at the epoch and a day on; every set read is usable, its name
    // fits, and a state it gives is finite.
    std::vector<sorae::OrbitalElements> all;
    (void)sorae::ReadAllElementSets(all, file.path());
    for (const sorae::OrbitalElements& el : all) {
        if (!sorae::IsUsableElementSet(el) || el.name.size() > 24) __builtin_trap();
        const auto sgp4 = sorae::Sgp4Propagator::fromElements(el, nullptr);
        if (!sgp4) continue;
        for (const double t : {0.0, 1440.0, -1440.0}) {
            const auto state = sgp4->at(t);
            if (state && !(std::isfinite(state->positionKm[0]) && std::isfinite(state->positionKm[1]) &&
                           std::isfinite(state->positionKm[2])))
                __builtin_trap();
        }
    }
    (void)sorae::ChooseElementSet(all, "NOAA-19", 1548331200.0);

    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto lines = sorae::splitElementLines(text);
    if (sorae::containsCompleteElementSet(lines)) {
        const std::string joined = sorae::joinWithCrLf(lines);
        // Splitting the normalised text again gives the same lines.
        if (sorae::splitElementLines(joined) != lines) __builtin_trap();
    }
    return 0;
}
