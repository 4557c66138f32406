// Fuzz target: the world outline file as the map reads it - line by line,
// then the polygon and polyline readings that build the base map, projected
// flat or onto the globe as the first input byte chooses.
#include <cstdint>
#include <string>

#include "map/map_file_reader.h"
#include "map/map_outline_passes.h"
#include "map/map_projection.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sorae::fuzz::MemoryFile file("world-map");
    if (size < 1) return 0;
    const std::uint8_t choice = data[0];
    file.write(data + 1, size - 1);

    // Every piece read consumes at least one byte (or is the end mark), so
    // the reader can never give more lines than the file has bytes.
    sorae::MapFileReader reader;
    if (!reader.open(file.path())) __builtin_trap();
    sorae::MapLine line;
    std::size_t lines = 0;
    while (reader.next(line)) {
        if (++lines > size) __builtin_trap();
    }

    sorae::ProjectionInputs inputs;
    inputs.stationLatitude = (choice & 2) ? -90.0 : 35.6894875;
    inputs.stationLongitude = (choice & 4) ? 180.0 : 139.6917064;
    inputs.passMode = (choice & 1) != 0;
    inputs.width = sorae::kGlobeCanvasWidth;
    inputs.height = sorae::kGlobeCanvasHeight;
    sorae::MapProjection projection = sorae::SetUpProjection(inputs);

    sorae::PolygonPassOptions options;
    options.shifted = (choice & 8) != 0 && !inputs.passMode;
    const bool opened = sorae::RunPolygonPass(
        file.path(), projection, options, [](const sorae::MapPolygon& polygon) {
            // The renderer reads one outline flag per vertex.
            if (polygon.drawable() && polygon.outlined.size() != polygon.points.size())
                __builtin_trap();
            if (polygon.points.size() > sorae::kMaxPolygonVertices) __builtin_trap();
        });
    if (!opened) __builtin_trap();

    sorae::RunPolylinePass(file.path(), [&projection](double latitudes[2], double longitudes[2]) {
        (void)sorae::MapSegmentPixels(projection, latitudes, longitudes);
    });
    return 0;
}
