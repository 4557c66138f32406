#include "orbit/satellite_search.h"

#include "orbit/reach_bound.h"
#include "orbit/sgp_propagator.h"

#include <cmath>

namespace sorae {

namespace {

constexpr double kStepMinutes = 1.0 / 60.0;
constexpr double kDayMinutes = 1440.0;
constexpr double kFarthestEpochMinutes = 1000.0 * 366.0 * 1440.0;
constexpr std::size_t kMaxSets = 8;

bool isSelected(const std::string& name, const ReceptionList& list)
{
    bool found = false;
    for (const std::string& candidate : list) {
        if (!candidate.empty() && candidate == name)
            found = true;
    }
    return found;
}

double epochDayNumber(double epoch)
{
    const EpochDate e = EpochToCalendar(epoch);
    return static_cast<double>(JulianDayNumber(e.date.year, e.date.month, e.date.day)) + e.dayFraction;
}

}  // namespace

std::vector<ChosenSet> ChooseSelectedSets(ElementSetArray& sets, int count, const ReceptionList& list)
{
    std::vector<ChosenSet> chosen;
    for (int i = 0; i < count; ++i) {
        OrbitalElements& el = sets[static_cast<std::size_t>(i)];
        PrepareElements(el);
        if (!IsNearEarth(el))
            continue;
        NormaliseSatelliteName(el);
        if (!isSelected(el.name, list))
            continue;
        const ChosenSet set{i, epochDayNumber(el.epoch)};
        bool repeated = false;
        for (ChosenSet& c : chosen) {
            if (sets[static_cast<std::size_t>(c.index)].name == el.name) {
                repeated = true;
                if (set.epochDay > c.epochDay)
                    c = set;
            }
        }
        if (!repeated && chosen.size() < kMaxSets)
            chosen.push_back(set);
    }
    return chosen;
}

void WalkSatellite(const OrbitalElements& prepared, const UtcInstant& now, int days, double minElevDeg,
                   const StationSite& station, bool skipUnreachable,
                   const std::function<bool(const SearchSecond&)>& visit)
{
    const SgpEpochTerms terms = SgpEpochTerms::from(prepared);
    const double t0 = MinutesSinceEpoch(prepared.epoch, now);
    // A damaged epoch can put "now" so far from it that adding a second no
    // longer changes t, and the walk would never end. A set a thousand
    // years from now is damaged anyway: it simply gets no passes.
    if (!(std::fabs(t0) < kFarthestEpochMinutes) || days < 1)
        return;
    const double windowMinutes = kDayMinutes * days;
    const double tEnd = t0 + windowMinutes;
    UtClock clock = UtClock::start(now);
    const double stepHours = kStepMinutes / 60.0;

    const ReachBound bound(terms, t0, minElevDeg, station, windowMinutes);
    const bool skipping = skipUnreachable && bound.usable();

    long leaveOut = 0;
    for (double t = t0; t <= tEnd; t += kStepMinutes) {
        if (leaveOut > 0) {
            --leaveOut;
            clock.advanceHours(stepHours);
            continue;
        }
        const OrbitState state = terms.propagate(t);
        const Vector3 positionKm{state.positionEarthRadii.x * kKmPerEarthRadius,
                                 state.positionEarthRadii.y * kKmPerEarthRadius,
                                 state.positionEarthRadii.z * kKmPerEarthRadius};
        SearchSecond second;
        second.date = CalendarFromDayNumber(clock.dayNumber);
        second.utHours = clock.hours;
        const double gst = GreenwichSiderealTime(second.date.year, second.date.month, second.date.day, clock.hours);
        second.point = EciToGeodetic(Multiply(EarthRotationMatrix(gst), positionKm));
        second.elevationDeg = StationElevation(second.point, station);
        if (visit(second))
            return;
        if (skipping && second.elevationDeg < minElevDeg)
            leaveOut = bound.secondsSurelyBelow(second.point);
        clock.advanceHours(stepHours);
    }
}

}  // namespace sorae
