#include "orbit/pass_step_detector.h"

namespace sorae {

void PassStepDetector::resetForSatellite()
{
    previousElevationDeg_ = 0.0;
    maximumElevationDeg_ = 0.0;
    passCount_ = 0;
    rising_ = false;
    passBegun_ = false;
    previousFresh_ = false;
    headingPending_ = false;
}

bool PassStepDetector::stepInto(PassInfo* slots, int capacity, const std::string& satellite,
                                const GeodeticPoint& point, double el, int year, int month, int day,
                                double utHours)
{
    if (el < minElevationDeg_)
        return false;
    const DayTime now = LocalStationTime(year, month, day, utHours);

    if (previousElevationDeg_ > el) {
        // Descending.
        if (headingPending_) {
            PassInfo& slot = slots[passCount_];
            slot.headingAtMaximumDeg =
                GroundTrackHeading(point, slot.latitudeAtMaximumRad, slot.longitudeAtMaximumRad);
            headingPending_ = false;
        }
        previousFresh_ = false;
        // The first falling second of a pass is passed over.
        if (!descendingSeen_) {
            descendingSeen_ = true;
            return false;
        }
        previousElevationDeg_ = el;
        if (now.days - acquisition_.days < kThirtyMinutesDays)
            loss_ = now;
        rising_ = false;
        return false;
    }

    if (!rising_) {
        if (passBegun_ && maximumElevationDeg_ >= maxElevationThresholdDeg_) {
            PassInfo& slot = slots[passCount_];
            slot.start = acquisition_;
            slot.end = loss_;
            slot.satellite = satellite;
            slot.maximumElevationDeg = maximumElevationDeg_;
            slot.direction = slot.headingAtMaximumDeg >= 270.0 ? 1 : 0;
            ++passCount_;
            if (passCount_ == capacity)
                return true;
        }
        acquisition_ = now;
        rising_ = true;
        passBegun_ = true;
    }
    descendingSeen_ = false;

    headingDeg_ = GroundTrackHeading(point, previousLatRad_, previousLonRad_);
    headingPending_ = !previousFresh_;
    previousFresh_ = true;
    previousLatRad_ = point.latitudeRad;
    previousLonRad_ = point.longitudeRad;

    PassInfo& slot = slots[passCount_];
    slot.longitudeAtMaximumRad = point.longitudeRad;
    slot.latitudeAtMaximumRad = point.latitudeRad;
    slot.heightAtMaximumKm = point.heightKm;
    slot.headingAtMaximumDeg = headingDeg_;
    slot.timeOfMaximum = now;
    previousElevationDeg_ = maximumElevationDeg_ = el;
    return false;
}

}  // namespace sorae
