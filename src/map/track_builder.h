// Computes satellite tracks from the element file with the SGP model:
// every selected satellite's sub-satellite points for the next 102 minutes
// in one-minute steps, or the satellite of the pass being received from now
// to the pass end in one-second steps; and the present position for the
// current-pass line.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "map/satellite_track.h"
#include "orbit/day_time.h"
#include "orbit/look_angles.h"
#include "orbit/orbital_elements.h"
#include "orbit/pass_table.h"

namespace sorae {

// Minutes of the flat-map ground track ahead of the present position.
inline constexpr double kGroundTrackMinutes = 102.0;

// Everything a redraw needs to know of the program's state; the caller
// fills it before each redraw.
struct MapTrackContext {
    std::string elementFilePath;
    std::array<std::string, 8> receptionNames;  // empty names never match
    bool passCalcBusy = false;                  // PassCalcBusy
    int matchingSatelliteCount = 0;             // selected sets found by the pass computation
    PassInfo nextPass;                          // PassTable slot 0
    DayTime currentPassEnd;                     // end of the pass being received
    DayTime stationNow;                         // the scheduler's present local date-time
    UtcInstant nowUtc;                          // the present UT from the system clock
    double stationLatitude = 0.0;               // Sat/LocateN
    double stationLongitude = 0.0;              // Sat/LocateE
};

// The sub-satellite points of one prepared set from t0 minutes after its
// epoch, stepMinutes apart, while t <= endMinutes. The first point is the
// satellite's position at `now`.
std::vector<GeodeticPoint> ComputeSubSatellitePoints(const OrbitalElements& prepared,
                                                     const UtcInstant& now, double startMinutes,
                                                     double endMinutes, double stepMinutes);

// The next pass's acquisition and loss along the track of its satellite
// (a prepared set), labelled "AOS hh:nn" and "LOS hh:nn"; only those ahead
// within the ground track's minutes.
std::vector<TrackMark> NextPassMarks(const OrbitalElements& prepared, const MapTrackContext& context);

// Flat-map tracks of the selected satellites in element-file order, with
// colour slots counted over the wanted sets.
std::vector<SatelliteTrack> BuildGroundTracks(const ElementSetArray& sets, int count,
                                              const MapTrackContext& context);

// Minutes and seconds from the present to the pass end as the pass window
// counts them (whole hours dropped; nothing when the end has passed).
double MinutesToPassEnd(DayTime passEnd, DayTime now);

struct PassTrack {
    SatelliteTrack track;
    GeodeticPoint present;  // the first point, for the current-pass line
};

// The globe-mode track of the set whose normalised name equals `name`.
std::optional<PassTrack> BuildPassTrack(const ElementSetArray& sets, int count,
                                        const std::string& name, const MapTrackContext& context);

// The present sub-satellite point of the named satellite; nullopt when the
// file has no such near-earth set.
std::optional<GeodeticPoint> PresentSubSatellitePoint(const ElementSetArray& sets, int count,
                                                      const std::string& name,
                                                      const UtcInstant& now);

// The highest elevation the named satellite reaches over the station (in
// degrees, as Sat/LocateN and Sat/LocateE) from `start` for `minutes`, one
// look a second; nullopt when the file has no such near-earth set. For a
// replayed recording, whose pass was not taken from the pass table.
std::optional<double> MaximumElevationDuring(const ElementSetArray& sets, int count, const std::string& name,
                                             const UtcInstant& start, double minutes, double stationLatitude,
                                             double stationLongitude);

// The current-pass line for a present sub-satellite point (ShowPassStatus):
// look angles from the context's station, pass data from context.nextPass.
std::string PassStatusText(const GeodeticPoint& present, const MapTrackContext& context);

// The map's track source backed by the element file.
class ElementFileTrackSource : public MapTrackSource {
public:
    MapTrackContext context;
    // Receives the current-pass line computed at the first step of the pass
    // track (the globe view refreshes the status bar this way); empty when
    // the pass is not under way at the context's time.
    std::function<void(const std::string&)> onPassStatus;

    std::optional<std::vector<SatelliteTrack>> groundTracks() override;
    std::optional<SatelliteTrack> passTrack() override;
};

// The current-pass line for the satellite of context.nextPass at the present
// time (ShowPassPosition); empty when that pass is not under way, nullopt
// when the element file cannot be read or holds no such satellite.
std::optional<std::string> ShowPassPosition(const std::string& name, const MapTrackContext& context);

}  // namespace sorae
