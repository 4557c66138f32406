#include "orbit/sky_track.h"

#include "orbit/sgp_propagator.h"

#include <algorithm>
#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kStationOffsetDays = 9.0 / 24.0;  // station time is UT + 9 h
}  // namespace

double StationAzimuth(const GeodeticPoint& sat, const StationSite& o)
{
    const double rs = kElevationSphereKm + sat.heightKm;
    const double cosPhi = std::cos(sat.latitudeRad);
    const double dx = rs * cosPhi * std::cos(sat.longitudeRad) - o.positionKm.x;
    const double dy = rs * cosPhi * std::sin(sat.longitudeRad) - o.positionKm.y;
    const double dz = rs * std::sin(sat.latitudeRad) - o.positionKm.z;
    const double east = -o.sinLon * dx + o.cosLon * dy;
    const double north = -o.sinLat * o.cosLon * dx - o.sinLat * o.sinLon * dy + o.cosLat * dz;
    double az = std::atan2(east, north) * 180.0 / kPi;
    if (az < 0.0)
        az += 360.0;
    return az >= 360.0 ? 0.0 : az;
}

SkyPoint LookAt(const OrbitalElements& prepared, const StationSite& station, DayTime stationTime)
{
    const DayTimeFields u = DecodeDayTime(DayTime{stationTime.days - kStationOffsetDays});
    const UtcInstant ut{u.year, u.month, u.day, u.hour, u.minute, u.second};
    const double utHours = u.hour + u.minute / 60.0 + (u.second + u.millisecond / 1000.0) / 3600.0;
    const double minutes = MinutesSinceEpoch(prepared.epoch, ut) + u.millisecond / 60000.0;
    const OrbitState state = SgpEpochTerms::from(prepared).propagate(minutes);
    const Vector3 positionKm{state.positionEarthRadii.x * kKmPerEarthRadius,
                             state.positionEarthRadii.y * kKmPerEarthRadius,
                             state.positionEarthRadii.z * kKmPerEarthRadius};
    const double gst = GreenwichSiderealTime(u.year, u.month, u.day, utHours);
    SkyPoint p;
    p.time = stationTime;
    p.subSatellite = EciToGeodetic(Multiply(EarthRotationMatrix(gst), positionKm));
    p.elevationDeg = StationElevation(p.subSatellite, station);
    p.azimuthDeg = StationAzimuth(p.subSatellite, station);
    return p;
}

std::vector<SkyPoint> SampleSkyTrack(const OrbitalElements& prepared, const StationSite& station, DayTime start,
                                     DayTime end, double stepSeconds)
{
    std::vector<SkyPoint> samples;
    if (!(stepSeconds > 0.0) || end < start)
        return samples;
    const double spanSeconds = (end.days - start.days) * kSecondsPerDay;
    const long steps = static_cast<long>(spanSeconds / stepSeconds);
    for (long k = 0; k <= steps; ++k)
        samples.push_back(LookAt(prepared, station, DayTime{start.days + k * stepSeconds / kSecondsPerDay}));
    if (samples.empty() || samples.back().time < end)
        samples.push_back(LookAt(prepared, station, end));
    return samples;
}

PlotPoint SkyPlotPosition(double azimuthDeg, double elevationDeg)
{
    const double r = (90.0 - std::clamp(elevationDeg, 0.0, 90.0)) / 90.0;
    const double az = azimuthDeg * kPi / 180.0;
    return {r * std::sin(az), r * std::cos(az)};
}

}  // namespace sorae
