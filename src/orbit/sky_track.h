// Where a satellite stands in the station's sky during a pass: azimuth and
// elevation at a station time, the samples of a whole pass, and their place
// in a polar sky plot (zenith in the centre, the horizon on the rim, north
// up, east to the right).
#pragma once

#include "orbit/day_time.h"
#include "orbit/look_angles.h"
#include "orbit/orbital_elements.h"

#include <vector>

namespace sorae {

struct SkyPoint {
    DayTime time;               // station time
    double azimuthDeg = 0.0;    // from north through east, [0, 360)
    double elevationDeg = 0.0;  // the pass search's elevation model
    GeodeticPoint subSatellite; // for the ground track of the same pass
};

// Azimuth of a sub-satellite point from the station, on the same spherical
// earth as StationElevation.
double StationAzimuth(const GeodeticPoint& satellite, const StationSite& station);

// The look angles of a prepared set at a station time.
SkyPoint LookAt(const OrbitalElements& prepared, const StationSite& station, DayTime stationTime);

// Samples from start to end, `stepSeconds` apart, the end always included.
std::vector<SkyPoint> SampleSkyTrack(const OrbitalElements& prepared, const StationSite& station, DayTime start,
                                     DayTime end, double stepSeconds);

// Position in the plot's unit disc: x east, y north; the zenith at (0, 0),
// the horizon at radius 1. Below the horizon stays on the rim.
struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};
PlotPoint SkyPlotPosition(double azimuthDeg, double elevationDeg);

}  // namespace sorae
