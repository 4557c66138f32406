// Fuzz target: an element file through everything the program computes from
// it - the 24-hour pass search of all eight satellites, the ground tracks of
// the flat map and the pass track of the globe. The first input byte picks
// the search settings, so unusual stations and elevation limits are covered.
#include <cstdint>
#include <string>

#include "map/track_builder.h"
#include "memory_file.h"
#include "orbit/pass_computation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sorae::fuzz::MemoryFile file("element-file");
    if (size < 1) return 0;
    const std::uint8_t choice = data[0];
    file.write(data + 1, size - 1);

    sorae::PassRequest request;
    request.elementFilePath = file.path();
    request.receptionList = sorae::MakeReceptionList({true, true, true, true, true, true, true, true});
    request.now = sorae::UtcInstant{2019, 1, 24, 3, 0, 0};
    if (choice & 1) request.settings.stationLatDeg = (choice & 2) ? 90.0 : -89.5;
    if (choice & 4) request.settings.stationLonDeg = (choice & 8) ? 180.0 : -180.0;
    if (choice & 16) {
        request.settings.minElevDeg = 0.0;
        request.settings.maxElevDeg = 0.0;
    }
    request.settings.sortElev = (choice & 32) == 0;
    request.settings.sortNext = (choice & 64) != 0;
    if (choice & 128) request.globeCentreLongitudeDeg = 139.7;

    sorae::PassMemory memory;
    const sorae::PassComputation passes = sorae::ComputePasses(request, memory);
    if (!passes.ok) return 0;
    if (passes.satelliteCount < 0 || passes.satelliteCount > sorae::kMaxPassSatellites) __builtin_trap();

    sorae::ElementSetArray sets;
    int count = 0;
    if (sorae::ReadElementFile(sets, count, file.path()) != 0) return 0;
    sorae::MapTrackContext context;
    context.elementFilePath = file.path();
    for (std::size_t i = 0; i < context.receptionNames.size(); ++i)
        context.receptionNames[i] = request.receptionList[i];
    context.matchingSatelliteCount = passes.satelliteCount;
    context.nextPass = passes.table[0];
    context.stationNow = sorae::EncodeDayTime(2019, 1, 24, 12, 0, 0);
    context.currentPassEnd = passes.table[0].end;
    context.nowUtc = request.now;
    context.stationLatitude = request.settings.stationLatDeg;
    context.stationLongitude = request.settings.stationLonDeg;
    (void)sorae::BuildGroundTracks(sets, count, context);
    if (!passes.table[0].satellite.empty())
        (void)sorae::BuildPassTrack(sets, count, passes.table[0].satellite, context);
    return 0;
}
