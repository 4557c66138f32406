#include "map/track_builder.h"

#include <algorithm>

#include <cmath>

#include "map/pass_status.h"
#include "orbit/replay_pass_rule.h"
#include "orbit/sgp_propagator.h"

namespace sorae {

namespace {

constexpr double kPi = 3.141592653589793;

// A copy of the set made ready for the propagator, or nothing when the
// simplified model does not hold for it.
std::optional<OrbitalElements> Prepared(const OrbitalElements& raw) {
    OrbitalElements set = raw;
    PrepareElements(set);
    if (!IsNearEarth(set)) return std::nullopt;
    NormaliseSatelliteName(set);
    return set;
}

TrackPoint ToDegrees(const GeodeticPoint& g) {
    return {g.latitudeRad * 180.0 * (1.0 / kPi), g.longitudeRad * 180.0 * (1.0 / kPi)};
}

bool IsSelected(const std::string& name, const std::array<std::string, 8>& list) {
    for (const std::string& n : list)
        if (!n.empty() && n == name) return true;
    return false;
}

}  // namespace

std::vector<GeodeticPoint> ComputeSubSatellitePoints(const OrbitalElements& prepared,
                                                     const UtcInstant& now, double startMinutes,
                                                     double endMinutes, double stepMinutes) {
    std::vector<GeodeticPoint> out;
    if (!(stepMinutes > 0.0)) return out;
    const SgpEpochTerms terms = SgpEpochTerms::from(prepared);
    UtClock clock = UtClock::start(now);
    clock.advanceHours(0.0);  // bring the hours below 24
    // Steps counted, not summed, so the last one is not lost to rounding.
    const double span = endMinutes - startMinutes;
    const long steps = span < 0.0 ? -1 : static_cast<long>(std::floor(span / stepMinutes + 1e-9));
    out.reserve(steps + 1 > 0 ? static_cast<std::size_t>(steps + 1) : 0);
    for (long i = 0; i <= steps; ++i) {
        const double t = startMinutes + i * stepMinutes;
        const OrbitState s = terms.propagate(t);
        const Vector3 km{s.positionEarthRadii.x * kKmPerEarthRadius,
                         s.positionEarthRadii.y * kKmPerEarthRadius,
                         s.positionEarthRadii.z * kKmPerEarthRadius};
        const CalendarDate date = CalendarFromDayNumber(clock.dayNumber);
        const double theta = GreenwichSiderealTime(date.year, date.month, date.day, clock.hours);
        out.push_back(EciToGeodetic(Multiply(EarthRotationMatrix(theta), km)));
        clock.advanceHours(stepMinutes * (1.0 / 60.0));
    }
    return out;
}

std::vector<TrackMark> NextPassMarks(const OrbitalElements& prepared, const MapTrackContext& context) {
    std::vector<TrackMark> marks;
    const double t0 = MinutesSinceEpoch(prepared.epoch, context.nowUtc);
    const struct {
        DayTime time;
        const char* word;
    } moments[] = {{context.nextPass.start, "AOS "}, {context.nextPass.end, "LOS "}};
    for (const auto& m : moments) {
        const double ahead = (m.time.days - context.stationNow.days) * 1440.0;
        if (!(ahead >= 0.0 && ahead <= kGroundTrackMinutes)) continue;
        // The clock runs from the present: one step straight to the moment.
        const std::vector<GeodeticPoint> at =
            ComputeSubSatellitePoints(prepared, context.nowUtc, t0, t0 + ahead, std::max(ahead, 1e-6));
        if (at.empty()) continue;
        marks.push_back({ToDegrees(at.back()), m.word + FormatTimeOfDay(m.time).substr(0, 5)});
    }
    return marks;
}

std::vector<SatelliteTrack> BuildGroundTracks(const ElementSetArray& sets, int count,
                                              const MapTrackContext& context) {
    std::vector<SatelliteTrack> tracks;
    int colourSlot = -1;
    for (int i = 0; i < count && i < kMaxElementSets; ++i) {
        const std::optional<OrbitalElements> set = Prepared(sets[i]);
        if (!set || !IsSelected(set->name, context.receptionNames)) continue;
        ++colourSlot;
        if (context.matchingSatelliteCount >= 9) break;
        const double t0 = MinutesSinceEpoch(set->epoch, context.nowUtc);
        SatelliteTrack track;
        track.name = set->name;
        track.colourSlot = colourSlot;
        track.nextPass = !set->name.empty() && set->name == context.nextPass.satellite;
        const std::vector<GeodeticPoint> points =
            ComputeSubSatellitePoints(*set, context.nowUtc, t0, t0 + kGroundTrackMinutes, 1.0);
        for (const GeodeticPoint& g : points) track.points.push_back(ToDegrees(g));
        if (!points.empty()) track.heightKm = points.front().heightKm;
        if (track.nextPass) track.marks = NextPassMarks(*set, context);
        tracks.push_back(std::move(track));
    }
    return tracks;
}

double MinutesToPassEnd(DayTime passEnd, DayTime now) {
    const double days = passEnd.days - now.days;
    if (!(days > 0.0)) return 0.0;
    const long long ms = std::llround(days * 86400000.0);
    const long long seconds = ms / 1000;
    const long long minutes = (seconds / 60) % 60;
    return static_cast<double>(minutes) + static_cast<double>(seconds % 60) * (1.0 / 60.0);
}

std::optional<PassTrack> BuildPassTrack(const ElementSetArray& sets, int count,
                                        const std::string& name, const MapTrackContext& context) {
    int colourSlot = -1;
    for (int i = 0; i < count && i < kMaxElementSets; ++i) {
        const std::optional<OrbitalElements> set = Prepared(sets[i]);
        if (!set || set->name != name) continue;
        ++colourSlot;
        if (context.matchingSatelliteCount >= 9) break;
        const double t0 = MinutesSinceEpoch(set->epoch, context.nowUtc);
        const double end = t0 + MinutesToPassEnd(context.currentPassEnd, context.stationNow);
        const std::vector<GeodeticPoint> points =
            ComputeSubSatellitePoints(*set, context.nowUtc, t0, end, 1.0 / 60.0);
        if (points.empty()) continue;
        PassTrack out;
        out.present = points.front();
        out.track.name = set->name;
        out.track.colourSlot = colourSlot;
        out.track.nextPass = set->name == context.nextPass.satellite;
        out.track.points.reserve(points.size());
        for (const GeodeticPoint& g : points) out.track.points.push_back(ToDegrees(g));
        return out;
    }
    return std::nullopt;
}

std::optional<GeodeticPoint> PresentSubSatellitePoint(const ElementSetArray& sets, int count,
                                                      const std::string& name,
                                                      const UtcInstant& now) {
    for (int i = 0; i < count && i < kMaxElementSets; ++i) {
        if (NormalisedSatelliteName(sets[i].name) != name) continue;
        const std::optional<OrbitalElements> set = Prepared(sets[i]);
        if (!set) continue;
        const double t0 = MinutesSinceEpoch(set->epoch, now);
        const std::vector<GeodeticPoint> p = ComputeSubSatellitePoints(*set, now, t0, t0, 1.0);
        if (!p.empty()) return p.front();
    }
    return std::nullopt;
}

std::optional<double> MaximumElevationDuring(const ElementSetArray& sets, int count, const std::string& name,
                                             const UtcInstant& start, double minutes, double stationLatitude,
                                             double stationLongitude) {
    for (int i = 0; i < count && i < kMaxElementSets; ++i) {
        if (NormalisedSatelliteName(sets[i].name) != name) continue;
        const std::optional<OrbitalElements> set = Prepared(sets[i]);
        if (!set) continue;
        const double t0 = MinutesSinceEpoch(set->epoch, start);
        const std::vector<GeodeticPoint> points =
            ComputeSubSatellitePoints(*set, start, t0, t0 + std::max(minutes, 0.0), 1.0 / 60.0);
        if (points.empty()) continue;
        double highest = 0.0;
        for (const GeodeticPoint& g : points) {
            const LookAngles a =
                ComputeLookAngles(g.latitudeRad, g.longitudeRad, g.heightKm, stationLatitude, stationLongitude);
            highest = std::max(highest, a.elevationDeg);
        }
        return highest;
    }
    return std::nullopt;
}

std::string PassStatusText(const GeodeticPoint& g, const MapTrackContext& context) {
    const LookAngles angles = ComputeLookAngles(g.latitudeRad, g.longitudeRad, g.heightKm,
                                                context.stationLatitude, context.stationLongitude);
    return PassStatusLine(context.nextPass, angles);
}

std::optional<std::vector<SatelliteTrack>> ElementFileTrackSource::groundTracks() {
    if (context.passCalcBusy) return std::nullopt;
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, context.elementFilePath) != 0) return std::nullopt;
    return BuildGroundTracks(sets, count, context);
}

std::optional<SatelliteTrack> ElementFileTrackSource::passTrack() {
    if (context.passCalcBusy) return std::nullopt;
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, context.elementFilePath) != 0) return std::nullopt;
    std::optional<PassTrack> pass = BuildPassTrack(sets, count, context.nextPass.satellite, context);
    if (!pass) return std::nullopt;
    if (onPassStatus)
        onPassStatus(PassInProgress(context.nextPass, context.stationNow) ? PassStatusText(pass->present, context)
                                                                          : std::string());
    return std::move(pass->track);
}

std::optional<std::string> ShowPassPosition(const std::string& name, const MapTrackContext& context) {
    ElementSetArray sets;
    int count = 0;
    if (ReadElementFile(sets, count, context.elementFilePath) != 0) return std::nullopt;
    const std::optional<GeodeticPoint> g = PresentSubSatellitePoint(sets, count, name, context.nowUtc);
    if (!g) return std::nullopt;
    if (!PassInProgress(context.nextPass, context.stationNow)) return std::string();
    return PassStatusText(*g, context);
}

}  // namespace sorae
