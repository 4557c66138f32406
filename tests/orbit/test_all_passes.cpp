// The list of every pass: its verdicts must agree with the pass table the
// scheduler works from, its passes with the independent prediction, and the
// look angles with the passes they describe.
#include "orbit/all_passes.h"
#include "orbit/sky_track.h"
#include "orbit_test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using namespace sorae;
using sorae::testing::realElementFile;

namespace {

const std::array<bool, 8> kFourSatellites{false, false, false, true, false, true, true, true};
const std::array<bool, 8> kAllSelected{true, true, true, true, true, true, true, true};

PassRequest request(const std::array<bool, 8>& selection, UtcInstant now, double lat, double lon)
{
    PassRequest r;
    r.elementFilePath = realElementFile();
    r.receptionList = MakeReceptionList(selection);
    r.now = now;
    r.settings.stationLatDeg = lat;
    r.settings.stationLonDeg = lon;
    return r;
}

DayTime parse(const std::string& text)
{
    int y, mo, d, h, mi, s;
    std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    return EncodeDayTime(y, mo, d, h, mi, s);
}

double secondsApart(DayTime a, DayTime b)
{
    return std::fabs(a.days - b.days) * 86400.0;
}

}  // namespace

TEST(AllPasses, VerdictsFollowThePassTable)
{
    struct Case {
        UtcInstant now;
        double lat, lon, maxElev;
        bool sortElev;
        std::array<bool, 8> selection;
    };
    const Case cases[] = {
        {{2019, 1, 25, 0, 0, 0}, 35.6894875, 139.6917064, 3.0, true, kFourSatellites},
        {{2019, 1, 24, 12, 34, 56}, -33.87, 151.21, 20.0, true, kFourSatellites},
        {{2019, 1, 26, 6, 0, 0}, 69.65, 18.96, 3.0, true, kAllSelected},
        {{2019, 1, 26, 6, 0, 0}, 69.65, 18.96, 3.0, false, kAllSelected},
        {{2019, 1, 25, 9, 30, 0}, 78.2, 15.6, 10.0, true, kAllSelected},
    };
    int setAside = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lat);
        PassRequest r = request(c.selection, c.now, c.lat, c.lon);
        r.settings.maxElevDeg = c.maxElev;
        r.settings.sortElev = c.sortElev;
        const PassList list = ListPassesWithTableChoice(r, 2);
        PassMemory memory;
        const PassComputation table = ComputePasses(r, memory);
        ASSERT_TRUE(list.ok && table.ok);
        ASSERT_EQ(list.satelliteCount, table.satelliteCount);

        // Every filled slot is one listed pass, field for field.
        std::map<int, const ListedPass*> bySlot;
        for (const ListedPass& l : list.passes) {
            if (l.tableSlot >= 0) {
                EXPECT_TRUE(bySlot.emplace(l.tableSlot, &l).second) << "slot " << l.tableSlot << " twice";
            }
        }
        for (int k = 0; k < 2 * table.satelliteCount; ++k) {
            const PassInfo& p = table.table[static_cast<std::size_t>(k)];
            if (p.satellite.empty())
                continue;
            SCOPED_TRACE(k);
            ASSERT_EQ(bySlot.count(k), 1u);
            const ListedPass& l = *bySlot[k];
            EXPECT_EQ(l.satellite, p.satellite);
            EXPECT_EQ(l.end, p.end);
            if (p.start == list.windowStart) {
                // Under way at the start: the table has only what is left
                // of it, the list the whole pass.
                EXPECT_LT(l.start, p.start);
                EXPECT_GE(l.maximumElevationDeg, p.maximumElevationDeg);
            } else {
                EXPECT_EQ(l.start, p.start);
                EXPECT_EQ(l.culmination, p.timeOfMaximum);
                EXPECT_EQ(l.maximumElevationDeg, p.maximumElevationDeg);
            }
            EXPECT_EQ(l.direction, p.direction);
            EXPECT_EQ(l.frequencyMHz, p.frequencyMHz);
            const bool asideBySlot = k == 1 && memory.skippedPassEnd == p.end;
            EXPECT_EQ(l.choice, asideBySlot ? PassChoice::SetAside : PassChoice::Received);
            setAside += asideBySlot ? 1 : 0;
        }

        // Per satellite, in time order: the first two passes of the day that
        // culminate high enough are the table's, later ones wait.
        std::map<std::string, int> highSoFar;
        const DayTime dayEnd{list.windowStart.days + 1.0};
        for (const ListedPass& l : list.passes) {
            SCOPED_TRACE(l.satellite + " " + FormatDateTime(l.start));
            EXPECT_TRUE((list.windowStart <= l.start || list.windowStart <= l.end) && l.end <= list.windowEnd);
            if (l.maximumElevationDeg < c.maxElev) {
                EXPECT_EQ(l.choice, PassChoice::BelowMaxElev);
                continue;
            }
            const int before = highSoFar[l.satellite]++;
            if (dayEnd < l.end)
                EXPECT_EQ(l.choice, PassChoice::BeyondDay);
            else if (before >= 2)
                EXPECT_EQ(l.choice, PassChoice::BeyondTable);
            else
                EXPECT_TRUE(l.choice == PassChoice::Received || l.choice == PassChoice::SetAside);
        }
    }
    EXPECT_GT(setAside, 0);  // the cases meet the overlap rule
}

TEST(AllPasses, SevenDaysAgreeWithIndependentPredictionAndEverySecondSearch)
{
    struct Case {
        const char* file;
        UtcInstant now;
        double lat, lon;
    };
    const Case cases[] = {
        {"passes_tokyo_20190125.tsv", {2019, 1, 25, 0, 0, 0}, 35.6894875, 139.6917064},
        {"passes_sydney_20190124.tsv", {2019, 1, 24, 12, 34, 56}, -33.87, 151.21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const PassRequest r = request(kFourSatellites, c.now, c.lat, c.lon);
        const PassList week = ListAllPasses(r, 7);
        ASSERT_TRUE(week.ok);
        ASSERT_EQ(week.satelliteCount, 4);

        // The first day, pass for pass, against the reference (which lists
        // the passes culminating at 3 degrees or more that end in the day).
        std::ifstream in(std::string(SORAE_TEST_DATA_DIR) + "/../../tools/orbitref/" + c.file);
        std::string line;
        int referencePasses = 0;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string satellite, start, end, maximum, elevation;
            std::getline(fields, satellite, '\t');
            std::getline(fields, start, '\t');
            std::getline(fields, end, '\t');
            std::getline(fields, maximum, '\t');
            std::getline(fields, elevation, '\t');
            ++referencePasses;
            SCOPED_TRACE(satellite + " " + start);
            const ListedPass* match = nullptr;
            for (const ListedPass& l : week.passes) {
                if (l.satellite == satellite && secondsApart(l.start, parse(start)) < 600.0)
                    match = &l;
            }
            ASSERT_NE(match, nullptr);
            EXPECT_LE(secondsApart(match->start, parse(start)), 2.0);
            EXPECT_LE(secondsApart(match->end, parse(end)), 2.0);
            EXPECT_LE(secondsApart(match->culmination, parse(maximum)), 2.0);
            EXPECT_NEAR(match->maximumElevationDeg, std::stod(elevation), 0.1);
        }
        int listedFirstDay = 0;
        for (const ListedPass& l : week.passes)
            listedFirstDay += l.maximumElevationDeg >= 3.0 && l.end.days <= week.windowStart.days + 1.0;
        EXPECT_EQ(listedFirstDay, referencePasses);

        // The whole week: leaving out unreachable seconds changes nothing
        // (one station is enough, every second of a week is slow).
        if (c.lat < 0.0)
            continue;
        PassRequest slow = r;
        slow.skipUnreachableSeconds = false;
        const PassList everySecond = ListAllPasses(slow, 7);
        ASSERT_EQ(week.passes.size(), everySecond.passes.size());
        EXPECT_GT(week.passes.size(), 4u * 7u * 3u);
        for (std::size_t i = 0; i < week.passes.size(); ++i) {
            EXPECT_EQ(week.passes[i].start, everySecond.passes[i].start);
            EXPECT_EQ(week.passes[i].end, everySecond.passes[i].end);
            EXPECT_EQ(week.passes[i].maximumElevationDeg, everySecond.passes[i].maximumElevationDeg);
        }
    }
}

TEST(AllPasses, LookAnglesDescribeTheirPass)
{
    const PassRequest r = request(kFourSatellites, {2019, 1, 25, 0, 0, 0}, 35.6894875, 139.6917064);
    const PassList list = ListAllPasses(r, 1);
    ASSERT_TRUE(list.ok);
    ASSERT_FALSE(list.passes.empty());
    const StationSite station = StationSite::at(r.settings.stationLatDeg, r.settings.stationLonDeg);
    for (const ListedPass& l : list.passes) {
        SCOPED_TRACE(l.satellite + " " + FormatDateTime(l.start));
        const OrbitalElements& set = list.elements[static_cast<std::size_t>(l.setIndex)];
        // The culmination seen again at its own station time (the search
        // labels a second by its truncated clock, which may lie a hair
        // before the instant it evaluated).
        EXPECT_NEAR(LookAt(set, station, l.culmination).elevationDeg, l.maximumElevationDeg, 0.01);
        const std::vector<SkyPoint> track = SampleSkyTrack(set, station, l.start, l.end, 10.0);
        ASSERT_GE(track.size(), 2u);
        EXPECT_EQ(track.front().time, l.start);
        EXPECT_EQ(track.back().time, l.end);
        EXPECT_DOUBLE_EQ(track.front().azimuthDeg, l.startAzimuthDeg);
        EXPECT_DOUBLE_EQ(track.back().azimuthDeg, l.endAzimuthDeg);
        for (const SkyPoint& p : track)
            EXPECT_GE(p.elevationDeg, r.settings.minElevDeg - 0.1);
        // A northbound pass sets further north than it rises, a southbound
        // one further south.
        const double rad = 3.141592653589793 / 180.0;
        const bool endsFurtherNorth = std::cos(l.endAzimuthDeg * rad) > std::cos(l.startAzimuthDeg * rad);
        EXPECT_EQ(endsFurtherNorth, l.direction == 1);
    }
}

// NOAA 19's set with its mean motion altered: at 6.5 turns a day the
// satellite stays up for most of an hour, which no pass of a low orbit
// does, so the set gives no pass to the list or the table; at 12 turns its
// passes are plausible and kept.
TEST(AllPasses, ASetWithPassesNoLowOrbitMakesGivesNone)
{
    const std::string line1 = sorae::testing::kNoaa19Line1;
    const struct {
        const char* line2;
        bool kept;
    } cases[] = {
        {"2 33591  99.1678  12.6689 0014882  65.9693 294.3034  6.50000000513214", false},
        {"2 33591  99.1678  12.6689 0014882  65.9693 294.3034 12.00000000513216", true},
    };
    const std::array<bool, 8> noaa19{false, false, false, false, false, false, false, true};
    for (const auto& c : cases) {
        PassRequest r = request(noaa19, {2019, 1, 25, 0, 30, 0}, 35.69, 139.69);
        r.elementFilePath = sorae::testing::writeTempFile(
            "altered", std::string(sorae::testing::kNoaa19Name) + "\r\n" + line1 + "\r\n" + c.line2 + "\r\n");
        const PassList list = ListAllPasses(r, 1);
        ASSERT_TRUE(list.ok);
        EXPECT_EQ(!list.passes.empty(), c.kept) << c.line2;
        const PassComputation table = ComputePasses(r);
        EXPECT_EQ(!table.table[0].satellite.empty(), c.kept) << c.line2;
        for (const ListedPass& p : list.passes) EXPECT_LT(secondsApart(p.start, p.end), 25 * 60) << c.line2;
    }
}

TEST(SkyTrack, AzimuthAndPlotPosition)
{
    const StationSite station = StationSite::at(35.0, 139.0);
    const double rad = 3.141592653589793 / 180.0;
    struct Case {
        double latDeg, lonDeg, azimuthDeg;
    };
    // Sub-satellite points 5 degrees away from the station, 850 km up.
    for (const Case& c : {Case{40.0, 139.0, 0.0}, Case{30.0, 139.0, 180.0}, Case{35.0, 145.0, 90.0 - 1.7},
                          Case{35.0, 133.0, 270.0 + 1.7}}) {
        const GeodeticPoint p{c.latDeg * rad, c.lonDeg * rad, 850.0};
        EXPECT_NEAR(std::remainder(StationAzimuth(p, station) - c.azimuthDeg, 360.0), 0.0, 0.5)
            << c.latDeg << "," << c.lonDeg;
    }
    struct PlotCase {
        double az, el, x, y;
    };
    for (const PlotCase& c : {PlotCase{0, 90, 0, 0}, PlotCase{0, 0, 0, 1}, PlotCase{90, 0, 1, 0},
                              PlotCase{180, 45, 0, -0.5}, PlotCase{270, 60, -1.0 / 3.0, 0}, PlotCase{45, -5, 0.7071, 0.7071}}) {
        const PlotPoint p = SkyPlotPosition(c.az, c.el);
        EXPECT_NEAR(p.x, c.x, 1e-4) << c.az << "/" << c.el;
        EXPECT_NEAR(p.y, c.y, 1e-4) << c.az << "/" << c.el;
    }
}

// Made again while a pass is under way, the list keeps that pass whole: its
// acquisition, culmination, loss and peak are those it had before it began.
TEST(AllPasses, APassUnderWayKeepsItsOwnTimesWhenListedAgain)
{
    const PassRequest before = request(kFourSatellites, {2019, 1, 25, 0, 0, 0}, 35.6894875, 139.6917064);
    const PassList first = ListAllPasses(before, 1);
    ASSERT_TRUE(first.ok);
    ASSERT_FALSE(first.passes.empty());
    const ListedPass whole = first.passes.front();
    const double fractions[] = {0.02, 0.3, 0.5, 0.7, 0.98};
    for (double f : fractions) {
        SCOPED_TRACE(f);
        const DayTime at{whole.start.days + f * (whole.end.days - whole.start.days) - 9.0 / 24.0};
        const DayTimeFields u = DecodeDayTime(at);
        PassRequest during = before;
        during.now = UtcInstant{u.year, u.month, u.day, u.hour, u.minute, u.second};
        const PassList again = ListAllPasses(during, 1);
        ASSERT_FALSE(again.passes.empty());
        const ListedPass& kept = again.passes.front();
        EXPECT_EQ(kept.satellite, whole.satellite);
        // Within the second by which the walk's labels and a single look
        // may differ.
        EXPECT_LE(secondsApart(kept.start, whole.start), 1.5);
        EXPECT_LE(secondsApart(kept.culmination, whole.culmination), 1.5);
        EXPECT_LE(secondsApart(kept.end, whole.end), 1.5);
        EXPECT_NEAR(kept.maximumElevationDeg, whole.maximumElevationDeg, 0.01);
        EXPECT_NEAR(kept.startAzimuthDeg, whole.startAzimuthDeg, 0.1);
        // and nothing else changes: the same passes follow
        if (again.passes.size() > 1 && first.passes.size() > 1) {
            EXPECT_LE(secondsApart(again.passes[1].start, first.passes[1].start), 1.0);
        }
    }
}
