// One satellite's track as the map draws it: the sub-satellite points from
// now on, the colour slot it was given and whether it flies the next pass;
// and the interface through which the map view asks for tracks.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sorae {

struct TrackPoint {
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
};

// A labelled moment along a track ("AOS 12:34").
struct TrackMark {
    TrackPoint at;
    std::string label;
};

struct SatelliteTrack {
    std::string name;      // normalised satellite name, the label text
    int colourSlot = 0;    // 0..7 pick the Sat0N/Sat1N colours; higher ones use slot 7
    bool nextPass = false; // the satellite of pass table slot 0
    std::vector<TrackPoint> points;  // points[0] is the present position
    double heightKm = 0.0;           // above the surface at points[0] (0: unknown)
    std::vector<TrackMark> marks;    // the next pass's acquisition and loss, when ahead
};

// Where the map view gets its tracks from.
class MapTrackSource {
public:
    virtual ~MapTrackSource() = default;
    // Tracks of the selected satellites for the flat map; nullopt when the
    // element file could not be read or the pass computation is running.
    virtual std::optional<std::vector<SatelliteTrack>> groundTracks() = 0;
    // Track of the next pass's satellite up to the pass end; nullopt when
    // there is nothing to draw.
    virtual std::optional<SatelliteTrack> passTrack() = 0;
};

}  // namespace sorae
