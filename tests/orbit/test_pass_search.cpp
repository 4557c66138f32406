// The 24-hour pass search on real element sets: the look-ahead that leaves out
// unreachable seconds must not change a single field, and the table must
// agree with an independent SGP4-based prediction.
#include "orbit/look_angles.h"
#include "orbit/orbital_elements.h"
#include "orbit/pass_computation.h"
#include "orbit/reach_bound.h"
#include "orbit/sgp_propagator.h"
#include "orbit_test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace sorae;
using sorae::testing::noaa19Set;
using sorae::testing::realElementFile;
using sorae::testing::writeTempFile;

namespace {

const std::array<bool, 8> kDefaultSelection{false, false, false, true, false, true, true, true};
const std::array<bool, 8> kAllSelected{true, true, true, true, true, true, true, true};

PassRequest request(const std::string& path, const std::array<bool, 8>& selection, UtcInstant now,
                    double lat, double lon)
{
    PassRequest r;
    r.elementFilePath = path;
    r.receptionList = MakeReceptionList(selection);
    r.now = now;
    r.settings.stationLatDeg = lat;
    r.settings.stationLonDeg = lon;
    return r;
}

struct ReferencePass {
    std::string satellite, start, end, maximum;
    double elevation;
};

std::vector<ReferencePass> readReference(const std::string& name)
{
    std::ifstream in(std::string(SORAE_TEST_DATA_DIR) + "/../../tools/orbitref/" + name);
    std::vector<ReferencePass> out;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ReferencePass p;
        std::string elevation;
        std::getline(fields, p.satellite, '\t');
        std::getline(fields, p.start, '\t');
        std::getline(fields, p.end, '\t');
        std::getline(fields, p.maximum, '\t');
        std::getline(fields, elevation, '\t');
        p.elevation = std::stod(elevation);
        out.push_back(p);
    }
    return out;
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

TEST(PassSearch, LookAheadGivesTheSameTableAsEverySecond)
{
    struct Case {
        UtcInstant now;
        double lat, lon, minElev;
        std::array<bool, 8> selection;
    };
    const Case cases[] = {
        {{2019, 1, 25, 0, 0, 0}, 35.6894875, 139.6917064, 1.0, kDefaultSelection},
        {{2019, 1, 24, 12, 34, 56}, -33.87, 151.21, 1.0, kAllSelected},
        {{2019, 1, 26, 23, 59, 59}, 69.65, 18.96, 0.0, kAllSelected},
        {{2019, 1, 25, 6, 0, 0}, 0.0, 0.0, 10.0, kDefaultSelection},
        {{2019, 2, 20, 18, 0, 0}, 43.06, 141.35, -1.5, kAllSelected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lat);
        PassRequest fast = request(realElementFile(), c.selection, c.now, c.lat, c.lon);
        fast.settings.minElevDeg = c.minElev;
        PassRequest slow = fast;
        slow.skipUnreachableSeconds = false;
        const PassComputation a = ComputePasses(fast);
        const PassComputation b = ComputePasses(slow);
        ASSERT_TRUE(a.ok);
        EXPECT_GT(a.satelliteCount, 0);
        EXPECT_EQ(a.satelliteCount, b.satelliteCount);
        for (int k = 0; k < kPassSlots; ++k) {
            SCOPED_TRACE(k);
            const PassInfo& p = a.table[static_cast<std::size_t>(k)];
            const PassInfo& q = b.table[static_cast<std::size_t>(k)];
            EXPECT_EQ(p.start, q.start);
            EXPECT_EQ(p.end, q.end);
            EXPECT_EQ(p.satellite, q.satellite);
            EXPECT_EQ(p.maximumElevationDeg, q.maximumElevationDeg);
            EXPECT_EQ(p.direction, q.direction);
            EXPECT_EQ(p.longitudeAtMaximumRad, q.longitudeAtMaximumRad);
            EXPECT_EQ(p.latitudeAtMaximumRad, q.latitudeAtMaximumRad);
            EXPECT_EQ(p.heightAtMaximumKm, q.heightAtMaximumKm);
            EXPECT_EQ(p.headingAtMaximumDeg, q.headingAtMaximumDeg);
            EXPECT_EQ(p.timeOfMaximum, q.timeOfMaximum);
            EXPECT_EQ(p.frequencyMHz, q.frequencyMHz);
        }
        EXPECT_EQ(a.nextPassText, b.nextPassText);
    }
}

TEST(PassSearch, AgreesWithIndependentPrediction)
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
        const std::vector<ReferencePass> reference = readReference(c.file);
        ASSERT_GT(reference.size(), 10u);
        const PassComputation result =
            ComputePasses(request(realElementFile(), kDefaultSelection, c.now, c.lat, c.lon));
        ASSERT_TRUE(result.ok);
        ASSERT_EQ(result.satelliteCount, 4);
        int matched = 0;
        for (int k = 0; k < 2 * result.satelliteCount; ++k) {
            const PassInfo& p = result.table[static_cast<std::size_t>(k)];
            SCOPED_TRACE(p.satellite + " " + FormatDateTime(p.start));
            const ReferencePass* best = nullptr;
            for (const ReferencePass& r : reference) {
                if (r.satellite == p.satellite && secondsApart(parse(r.start), p.start) < 600.0)
                    best = &r;
            }
            ASSERT_NE(best, nullptr);
            EXPECT_LE(secondsApart(parse(best->start), p.start), 2.0);
            EXPECT_LE(secondsApart(parse(best->end), p.end), 2.0);
            EXPECT_LE(secondsApart(parse(best->maximum), p.timeOfMaximum), 2.0);
            EXPECT_NEAR(best->elevation, p.maximumElevationDeg, 0.1);
            ++matched;
        }
        EXPECT_EQ(matched, 8);
        // In start order (only slots 0 and 1 may be exchanged by the overlap rule).
        for (int k = 2; k < 8; ++k)
            EXPECT_LE(result.table[static_cast<std::size_t>(k - 1)].start, result.table[static_cast<std::size_t>(k)].start);
    }
}

TEST(PassSearch, FailuresAndSatelliteLimits)
{
    PassMemory memory;
    PassRequest r = request(realElementFile(), kDefaultSelection, {2019, 1, 25, 0, 0, 0}, 35.0, 139.0);
    const PassComputation first = ComputePasses(r, memory);
    ASSERT_TRUE(first.ok);
    ASSERT_EQ(first.progressTexts.size(), 4u);
    EXPECT_EQ(first.progressTexts[0], "衛星通過データを計算中 68%");  // NOAA 15 is set 15 (from 0) of 22
    EXPECT_EQ(first.nextPassText.rfind("次回通過: NOAA-", 0), 0u);

    // A missing file leaves the table as it was.
    r.elementFilePath = "/nonexistent/SatTle.txt";
    const PassComputation missing = ComputePasses(r, memory);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.table, first.table);
    EXPECT_EQ(memory.table, first.table);

    // Copies of one set: one satellite with its two passes, not the same
    // pass in every slot; of two sets of a satellite the newer is taken.
    std::string copies;
    for (int i = 0; i < 20; ++i)
        copies += noaa19Set();
    std::string newer = noaa19Set();
    newer.replace(newer.find("19024.95618551"), 14, "19025.95618551");
    r.elementFilePath = writeTempFile("copies", copies + newer);
    r.receptionList = MakeReceptionList(kAllSelected);
    const PassComputation many = ComputePasses(r);
    ASSERT_TRUE(many.ok);
    EXPECT_EQ(many.satelliteCount, 1);
    EXPECT_EQ(many.progressTexts.size(), 1u);
    EXPECT_EQ(many.table[0].satellite, "NOAA-19");
    EXPECT_LT(many.table[0].start, many.table[1].start);
    r.elementFilePath = writeTempFile("one", newer);
    const PassComputation alone = ComputePasses(r);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(alone.table[k].start, many.table[k].start);
        EXPECT_EQ(alone.table[k].end, many.table[k].end);
    }
    std::filesystem::remove(r.elementFilePath);

    // A set with a period above 225 minutes is never used.
    std::string slow = noaa19Set();
    slow.replace(slow.find("14.12330663"), 11, " 6.30000000");
    r.elementFilePath = writeTempFile("slow", slow);
    const PassComputation none = ComputePasses(r);
    EXPECT_TRUE(none.ok);
    EXPECT_EQ(none.satelliteCount, 0);
    EXPECT_TRUE(none.progressTexts.empty());
    std::filesystem::remove(r.elementFilePath);
}

TEST(PassSearch, ElementAgeAndGlobeRedraw)
{
    const std::string path = writeTempFile("age", noaa19Set());
    // The NOAA 19 set is of 2019-01-24.
    const struct {
        UtcInstant now;
        bool old;
    } cases[] = {
        {{2019, 2, 6, 23, 0, 0}, false},  // 13 days
        {{2019, 2, 7, 0, 0, 0}, true},    // 14 days
        {{2019, 1, 11, 0, 0, 0}, false},  // 13 days before the epoch
        {{2019, 1, 10, 0, 0, 0}, true},   // 14 days before: a future epoch counts too
    };
    for (const auto& c : cases) {
        PassRequest r = request(path, kAllSelected, c.now, 35.0, 139.0);
        EXPECT_EQ(ComputePasses(r).elementsOld, c.old) << c.now.month << "/" << c.now.day;
    }
    // The age counts from the epoch 2019-01-24 22:56:54 UT; the text warns
    // past the limit only.
    const PassComputation week = ComputePasses(request(path, kAllSelected, {2019, 1, 31, 22, 56, 54}, 35.0, 139.0));
    ASSERT_TRUE(week.elementAgeDays.has_value());
    EXPECT_NEAR(*week.elementAgeDays, 7.0, 1e-4);
    EXPECT_EQ(ElementAgeText(*week.elementAgeDays, 14), "軌道要素 7.0日前");
    EXPECT_EQ(ElementAgeText(2555.04, 14), "警告: 軌道要素が古すぎます (2555.0日前, 期限14日)");
    EXPECT_EQ(ElementAgeShortText(*week.elementAgeDays), "要素7.0日");
    EXPECT_EQ(ElementAgeShortText(-0.64), "要素-0.6日");
    EXPECT_EQ(ElementAgeShortText(2555.04), "要素2555日");
    EXPECT_FALSE(ComputePasses(request(path, {}, {2019, 1, 31, 0, 0, 0}, 35.0, 139.0)).elementAgeDays);

    PassRequest r = request(path, kAllSelected, {2019, 1, 25, 0, 0, 0}, 35.0, 139.0);
    const PassComputation flat = ComputePasses(r);
    EXPECT_FALSE(flat.globeRedrawNeeded);
    const double centre = flat.table[0].longitudeAtMaximumRad * 180.0 * (1.0 / 3.141592653589793);
    r.globeCentreLongitudeDeg = centre;
    EXPECT_FALSE(ComputePasses(r).globeRedrawNeeded);
    r.globeCentreLongitudeDeg = centre + 1.0;
    EXPECT_TRUE(ComputePasses(r).globeRedrawNeeded);
    std::filesystem::remove(path);
}

TEST(PassSearch, ADayWithoutPassSaysSo)
{
    // An absurd second derivative of mean motion leaves no pass in the day:
    // the next-pass text says so instead of announcing an empty slot.
    std::string damaged = noaa19Set();
    damaged.replace(damaged.find(" 00000-0 "), 9, " 99999+9 ");
    const PassComputation result =
        ComputePasses(request(writeTempFile("nddot", damaged), kAllSelected, {2019, 1, 25, 0, 0, 0}, 35.0, 139.0));
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.table[0].satellite.empty());
    EXPECT_EQ(result.nextPassText, kNoPassText);
}

TEST(PassSearch, LookAheadNeverSkipsAReachableSecond)
{
    // Every near-earth set of the real file, two stations: whenever the bound
    // promises k seconds below the detection elevation, the next second at or
    // above it must lie further ahead.
    ElementSetArray sets;
    int count = 0;
    ASSERT_EQ(ReadElementFile(sets, count, realElementFile()), 0);
    const UtcInstant now{2019, 1, 25, 3, 0, 0};
    const int seconds = 6 * 3600;
    int totalPasses = 0;
    for (const auto& [lat, lon] : {std::pair{35.69, 139.69}, std::pair{78.2, 15.6}}) {
        const StationSite station = StationSite::at(lat, lon);
        for (int i = 0; i < count; ++i) {
            OrbitalElements el = sets[static_cast<std::size_t>(i)];
            PrepareElements(el);
            if (!IsNearEarth(el))
                continue;
            const SgpEpochTerms terms = SgpEpochTerms::from(el);
            const double t0 = MinutesSinceEpoch(el.epoch, now);
            const ReachBound bound(terms, t0, 1.0, station);
            ASSERT_TRUE(bound.usable());
            UtClock clock = UtClock::start(now);
            std::vector<GeodeticPoint> points;
            std::vector<double> elevations;
            double t = t0;
            for (int s = 0; s < seconds; ++s, t += 1.0 / 60.0, clock.advanceHours(1.0 / 3600.0)) {
                const OrbitState st = terms.propagate(t);
                const Vector3 km{st.positionEarthRadii.x * kKmPerEarthRadius, st.positionEarthRadii.y * kKmPerEarthRadius,
                                 st.positionEarthRadii.z * kKmPerEarthRadius};
                const double gst = GreenwichSiderealTimeOfDayNumber(clock.dayNumber, clock.hours);
                points.push_back(EciToGeodetic(Multiply(EarthRotationMatrix(gst), km)));
                elevations.push_back(StationElevation(points.back(), station));
            }
            int nextReachable = seconds;
            int passes = 0;
            for (int s = seconds - 1; s >= 0; --s) {
                if (elevations[static_cast<std::size_t>(s)] >= 1.0) {
                    if (nextReachable != s + 1)
                        ++passes;
                    nextReachable = s;
                    continue;
                }
                const long k = bound.secondsSurelyBelow(points[static_cast<std::size_t>(s)]);
                if (nextReachable < seconds) {  // beyond the sample nothing is known
                    ASSERT_LT(s + k, nextReachable) << sets[static_cast<std::size_t>(i)].name << " second " << s;
                }
            }
            totalPasses += passes;
        }
    }
    EXPECT_GT(totalPasses, 40);  // the check met plenty of passes
}

// A pass that is already past its culmination when the table is computed
// keeps the direction it has when computed from before its start: the
// heading must not come from another satellite's last position.
TEST(PassSearch, APassInProgressKeepsItsDirection)
{
    struct Instant {
        UtcInstant before;
        UtcInstant during;  // after the culmination
    };
    // NOAA-17 (S>N, culminating 03:04:40 UT) and NOAA-18 (N>S, 00:12:30 UT) at Tokyo.
    const Instant cases[] = {{{2019, 1, 25, 3, 0, 0}, {2019, 1, 25, 3, 5, 0}},
                             {{2019, 1, 25, 0, 0, 0}, {2019, 1, 25, 0, 15, 0}}};
    for (const Instant& c : cases) {
        const PassComputation before =
            ComputePasses(request(realElementFile(), kDefaultSelection, c.before, 35.6894875, 139.6917064));
        const PassComputation during =
            ComputePasses(request(realElementFile(), kDefaultSelection, c.during, 35.6894875, 139.6917064));
        ASSERT_TRUE(before.ok && during.ok);
        const PassInfo& slot = during.table[0];
        bool found = false;
        for (const PassInfo& p : before.table) {
            if (p.satellite == slot.satellite && p.end == slot.end) {
                EXPECT_EQ(int(p.direction), int(slot.direction)) << slot.satellite;
                found = true;
            }
        }
        EXPECT_TRUE(found) << slot.satellite;
    }
}
