#include "orbit/reach_bound.h"

#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
// Earth rotation of the sidereal-time model, radians per second.
constexpr double kEarthRateRadPerSecond = 1.00273791 * 0.2617993877991494 / 3600.0;
// The polar radius is the smallest distance from the centre to the ellipsoid.
constexpr double kPolarRadiusKm = 6356.75;
// The geodetic latitude moves at most 1/(1-e^2) = 1.0067 times as fast as the
// geocentric one; 1.02 leaves room.
constexpr double kGeodeticFactor = 1.02;
// Headroom for the short-period terms, the drag-changed eccentricity and
// rounding. The bound only decides how far to look ahead, so a generous
// margin costs a little speed and nothing else.
constexpr double kRateMargin = 1.25;
constexpr double kRadiusMarginKm = 30.0;
}  // namespace

ReachBound::ReachBound(const SgpEpochTerms& s, double t0, double minElevationDeg, const StationSite& station,
                       double windowMinutes)
{
    stationUnit_[0] = station.cosLat * station.cosLon;
    stationUnit_[1] = station.cosLat * station.sinLon;
    stationUnit_[2] = station.sinLat;

    if (!(minElevationDeg > -80.0 && minElevationDeg < 80.0) || !(s.n0 > 0.0) || !(s.a0 > 0.0))
        return;
    // Mean motion over the window: n0 + (2 ndot/2 + 3 nddot/6 t) t at its extremes.
    const double tFar = std::fabs(t0) + windowMinutes + 1.0;
    const double nSpread = 2.0 * std::fabs(s.ndot2) * tFar + 3.0 * std::fabs(s.nddot6) * tFar * tFar;
    const double nMin = s.n0 - nSpread;
    const double nMax = s.n0 + nSpread;
    if (!(nMin > 0.5 * s.n0))
        return;
    const double aMax = s.a0 * std::pow(s.n0 / nMin, 2.0 / 3.0);
    // Eccentricity: the drag-decayed 1 - q0/a stays near e0 while a stays near
    // a0; the J3 term adds about 1e-3 at most.
    const double aMin = s.a0 * std::pow(s.n0 / nMax, 2.0 / 3.0);
    const double eMax = std::fmax(s.e0, 1.0 - s.q0 / aMin) + 0.01;
    if (!(eMax < 0.5))
        return;

    const double rMaxKm = kKmPerEarthRadius * aMax * (1.0 + eMax) + kRadiusMarginKm;
    const double rsMax = kElevationSphereKm + (rMaxKm - kPolarRadiusKm);
    const double ro = kElevationSphereKm + kStationHeightKm;
    const double el = minElevationDeg * kPi / 180.0;
    const double c = ro * std::cos(el) / rsMax;
    if (!(c > 0.0 && c < 1.0))
        return;
    psiMaxRad_ = std::acos(c) - el;

    // Fastest angular motion in the orbit plane (at perigee), plus the turning
    // of the plane and of the perigee, plus the earth turning underneath.
    const double inPlane = nMax * (1.0 + eMax) * (1.0 + eMax) / std::pow(1.0 - eMax * eMax, 1.5);
    const double perMinute = inPlane + std::fabs(s.nodeRate) + std::fabs(s.perigeeRate);
    rateRadPerSecond_ = kGeodeticFactor * kRateMargin * (perMinute / 60.0 + kEarthRateRadPerSecond);
    usable_ = psiMaxRad_ > 0.0 && rateRadPerSecond_ > 0.0;
}

long ReachBound::secondsSurelyBelow(const GeodeticPoint& point) const
{
    if (!usable_)
        return 0;
    const double cosLat = std::cos(point.latitudeRad);
    const double cosPsi = cosLat * std::cos(point.longitudeRad) * stationUnit_[0] +
                          cosLat * std::sin(point.longitudeRad) * stationUnit_[1] +
                          std::sin(point.latitudeRad) * stationUnit_[2];
    const double psi = std::acos(std::fmax(-1.0, std::fmin(1.0, cosPsi)));
    const double gap = psi - psiMaxRad_;
    if (!(gap > 0.0))
        return 0;
    const long seconds = static_cast<long>(gap / rateRadPerSecond_) - 1;
    return seconds > 0 ? seconds : 0;
}

}  // namespace sorae
