// The per-second pass detector and the ordering rules of the pass table.
#include "orbit/pass_computation.h"
#include "orbit/pass_step_detector.h"
#include "orbit/pass_table.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sorae;

namespace {

// Feeds one elevation per second from 2019-01-24 03:00:00 UT, the sub-satellite
// point moving north and west (heading between 270 and 360) or south and west.
struct DetectorRun {
    PassStepDetector detector{1.0, 3.0};
    PassTable table{};
    double seconds = 0.0;
    double latitude = 0.0;
    bool northbound = true;

    bool feed(double elevation)
    {
        latitude += northbound ? 1e-3 : -1e-3;
        const GeodeticPoint p{latitude, 2.0 - seconds * 1e-4, 850.0};
        const double hours = 3.0 + (seconds + 0.5) / 3600.0;  // mid-second: no truncation doubt
        seconds += 1.0;
        return detector.step(table, 0, "NOAA-19", p, elevation, 2019, 1, 24, hours);
    }
    bool feed(const std::vector<double>& elevations)
    {
        bool done = false;
        for (double e : elevations)
            done = feed(e);
        return done;
    }
};

DayTime station(int h, int m, int s)
{
    return EncodeDayTime(2019, 1, 24, h + 9, m, s);
}

PassInfo pass(const char* sat, DayTime start, DayTime end, DayTime max, double elev)
{
    PassInfo p;
    p.satellite = sat;
    p.start = start;
    p.end = end;
    p.timeOfMaximum = max;
    p.maximumElevationDeg = elev;
    p.frequencyMHz = SatelliteFrequencyMHz(sat);
    return p;
}

}  // namespace

TEST(PassStepDetector, RecordsAPassWhenTheNextOneBegins)
{
    DetectorRun run;
    run.detector.resetForComputation();
    run.detector.resetForSatellite();
    // Second 0: below; 1..4 rising to 9; 5..8 falling; then below.
    EXPECT_FALSE(run.feed({0.5, 2.0, 5.0, 7.0, 9.0, 8.0, 6.0, 4.0, 1.5, 0.2, -5.0}));
    EXPECT_EQ(run.detector.passCount(), 0);  // not yet recorded
    // The next pass starts rising at second 11: the first pass goes into slot 0.
    EXPECT_FALSE(run.feed({1.6, 4.0, 2.0, 1.1}));
    EXPECT_EQ(run.detector.passCount(), 1);
    const PassInfo& p = run.table[0];
    EXPECT_EQ(p.start, station(3, 0, 1));
    EXPECT_EQ(p.timeOfMaximum, station(3, 0, 4));
    EXPECT_EQ(p.maximumElevationDeg, 9.0);
    // The first falling second (8.0) is passed over; loss is the last one above.
    EXPECT_EQ(p.end, station(3, 0, 8));
    EXPECT_EQ(p.direction, 1);
    EXPECT_GT(p.headingAtMaximumDeg, 270.0);
    EXPECT_EQ(p.satellite, "NOAA-19");
    // The second pass (max 4.0) is recorded when a third begins; that ends the
    // search. Its first second (1.0) is lower than the last one seen, so it
    // counts as falling and, within 30 minutes of acquisition, moves the loss.
    EXPECT_FALSE(run.feed(-1.0));
    EXPECT_TRUE(run.feed({1.0, 2.0}));
    EXPECT_EQ(run.table[1].start, station(3, 0, 11));
    EXPECT_EQ(run.table[1].end, station(3, 0, 16));
    EXPECT_EQ(run.table[1].maximumElevationDeg, 4.0);
}

TEST(PassStepDetector, LowPassesAreNotRecordedAndSouthboundIsZero)
{
    DetectorRun run;
    run.northbound = false;
    run.detector.resetForComputation();
    run.detector.resetForSatellite();
    run.feed({1.5, 2.5, 2.0, 1.5, 0.0});  // culminates below 3 degrees
    run.feed({1.5, 6.0, 5.0, 4.0, 0.0});
    EXPECT_EQ(run.detector.passCount(), 0);
    run.feed({2.0, 2.5});
    ASSERT_EQ(run.detector.passCount(), 1);
    EXPECT_EQ(run.table[0].maximumElevationDeg, 6.0);
    EXPECT_EQ(run.table[0].start, station(3, 0, 5));
    EXPECT_EQ(run.table[0].direction, 0);
    EXPECT_LT(run.table[0].headingAtMaximumDeg, 270.0);
}

TEST(PassTableRules, SortKeepsFrequenciesInPlace)
{
    PassTable t{};
    t[0] = pass("NOAA-18", station(5, 0, 0), station(5, 10, 0), station(5, 5, 0), 30.0);
    t[1] = pass("NOAA-18", station(7, 0, 0), station(7, 10, 0), station(7, 5, 0), 20.0);
    t[2] = pass("NOAA-19", station(4, 0, 0), station(4, 10, 0), station(4, 5, 0), 40.0);
    t[3] = pass("NOAA-19", station(6, 0, 0), station(6, 10, 0), station(6, 5, 0), 10.0);
    t[4] = pass("NOAA-15", station(1, 0, 0), station(1, 10, 0), station(1, 5, 0), 10.0);
    SortPassesByStart(t, 2);
    EXPECT_EQ(t[0].satellite, "NOAA-19");
    EXPECT_EQ(t[1].satellite, "NOAA-18");
    EXPECT_EQ(t[2].maximumElevationDeg, 10.0);
    EXPECT_EQ(t[3].start, station(7, 0, 0));
    EXPECT_EQ(t[4].satellite, "NOAA-15");  // beyond 2n: untouched
    // Frequencies stay with the slot until they are assigned again.
    EXPECT_EQ(t[0].frequencyMHz, 137.9125);
    AssignFrequencies(t, 2);
    EXPECT_EQ(t[0].frequencyMHz, 137.1);
    EXPECT_EQ(t[1].frequencyMHz, 137.9125);
}

TEST(PassTableRules, OverlapPrefersTheHigherPassWithSortElev)
{
    const PassInfo low = pass("NOAA-15", station(10, 0, 0), station(10, 14, 0), station(10, 7, 0), 20.0);
    const PassInfo high = pass("NOAA-18", station(10, 5, 0), station(10, 19, 0), station(10, 12, 0), 60.0);
    for (bool sortElev : {true, false}) {
        PassTable t{};
        t[0] = low;
        t[1] = high;
        DayTime skipped = kNoSkippedPass;
        ApplyOverlapRule(t, skipped, sortElev, false);
        EXPECT_EQ(t[0].satellite, sortElev ? "NOAA-18" : "NOAA-15");
        EXPECT_EQ(skipped, t[1].end);  // the pass set aside
    }
    // No overlap: nothing moves and nothing is remembered.
    PassTable t{};
    t[0] = low;
    t[1] = pass("NOAA-18", station(10, 8, 0), station(10, 19, 0), station(10, 12, 0), 60.0);
    DayTime skipped = station(1, 2, 3);
    ApplyOverlapRule(t, skipped, true, false);
    EXPECT_EQ(t[0].satellite, "NOAA-15");
    EXPECT_EQ(skipped, kNoSkippedPass);
    // A culmination exactly at the other pass's start still counts as overlap.
    t[1].start = t[0].timeOfMaximum;
    ApplyOverlapRule(t, skipped, true, false);
    EXPECT_EQ(t[0].satellite, "NOAA-18");
}

TEST(PassTableRules, SetAsidePassStillRunningAfterReception)
{
    // The high pass was received; the low one, set aside, is still running and
    // ends at the remembered time.
    const PassInfo lowRest = pass("NOAA-15", station(10, 0, 0), station(10, 14, 0), station(10, 7, 0), 20.0);
    const PassInfo later = pass("NOAA-19", station(12, 0, 0), station(12, 14, 0), station(12, 7, 0), 30.0);
    for (bool sortNext : {true, false}) {
        PassTable t{};
        t[0] = lowRest;
        t[1] = later;
        DayTime skipped = lowRest.end;
        ApplyOverlapRule(t, skipped, true, sortNext);
        EXPECT_EQ(t[0].satellite, sortNext ? "NOAA-19" : "NOAA-15");
        EXPECT_EQ(skipped, lowRest.end);
    }
}

TEST(PassTableRules, FrequenciesAndNextPassText)
{
    EXPECT_EQ(SatelliteFrequencyMHz("NOAA-9"), 137.5);
    EXPECT_EQ(SatelliteFrequencyMHz("NOAA-15"), 137.62);
    EXPECT_EQ(SatelliteFrequencyMHz("NOAA-18"), 137.9125);
    EXPECT_EQ(SatelliteFrequencyMHz("NOAA-19"), 137.1);
    EXPECT_EQ(SatelliteFrequencyMHz("NOAA-20"), 137.0);
    EXPECT_EQ(SatelliteFrequencyMHz("noaa-19"), 137.0);

    PassInfo p = pass("NOAA-19", EncodeDayTime(2019, 1, 24, 10, 21, 5), EncodeDayTime(2019, 1, 24, 10, 35, 40),
                      EncodeDayTime(2019, 1, 24, 10, 28, 0), 52.34);
    p.direction = 0;
    EXPECT_EQ(NextPassText(p), "次回通過: NOAA-19 137.1000MHz 10:21:05>10:35:40 N>S MaxElev 52.3deg");
    p.direction = 1;
    p.maximumElevationDeg = 7.06;
    EXPECT_EQ(NextPassText(p), "次回通過: NOAA-19 137.1000MHz 10:21:05>10:35:40 S>N MaxElev 7.1deg");
}

TEST(PassTableRules, OldElementDecisions)
{
    EXPECT_EQ(DecideOldElements(false, -1, true), OldElementsAction::None);
    EXPECT_EQ(DecideOldElements(true, -1, true), OldElementsAction::AskToDownload);
    EXPECT_EQ(DecideOldElements(true, -2, true), OldElementsAction::DownloadAndRecompute);
    EXPECT_EQ(DecideOldElements(true, -2, false), OldElementsAction::ShowNotNew);
    const ReceptionList list = MakeReceptionList({false, false, false, true, false, true, true, true});
    EXPECT_EQ(list[0], "");
    EXPECT_EQ(list[3], "NOAA-15");
    EXPECT_EQ(list[7], "NOAA-19");
}
