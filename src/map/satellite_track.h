// One satellite's track as the map draws it: the sub-satellite points from
// now on, the colour slot it was given and whether it flies the next pass.
#pragma once

#include <string>
#include <vector>

namespace sorae {

struct TrackPoint {
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
};

struct SatelliteTrack {
    std::string name;      // normalised satellite name, the label text
    int colourSlot = 0;    // 0..7 pick the Sat0N/Sat1N colours; others fall back to slot 7
    bool nextPass = false; // the satellite of pass table slot 0
    std::vector<TrackPoint> points;  // points[0] is the present position
};

}  // namespace sorae
