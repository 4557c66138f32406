// The command line's view of the pass table and its option parsers.
#include "orbit/pass_listing.h"
#include "orbit/satellite_spelling.h"
#include "orbit_test_files.h"

#include <gtest/gtest.h>

using namespace sorae;

TEST(PassListing, LinesPerFilledSlotThenNextPass)
{
    PassComputation r;
    r.ok = true;
    r.satelliteCount = 2;
    PassInfo& a = r.table[0];
    a.satellite = "NOAA-18";
    a.start = EncodeDayTime(2019, 1, 25, 9, 5, 36);
    a.end = EncodeDayTime(2019, 1, 25, 9, 19, 57);
    a.timeOfMaximum = EncodeDayTime(2019, 1, 25, 9, 12, 49);
    a.maximumElevationDeg = 36.349;
    a.direction = 0;
    a.frequencyMHz = 137.9125;
    r.table[1] = a;
    r.table[1].direction = 1;
    r.table[1].maximumElevationDeg = 4.95;
    r.table[2].satellite = "";  // a satellite with a single pass leaves its slot empty
    r.table[4] = a;             // beyond 2n: not printed
    r.nextPassText = NextPassText(a);
    EXPECT_EQ(FormatPassListing(r),
              "0\tNOAA-18\t2019/01/25 09:05:36\t2019/01/25 09:19:57\t36.3\tN>S\t137.9125\t2019/01/25 09:12:49\n"
              "1\tNOAA-18\t2019/01/25 09:05:36\t2019/01/25 09:19:57\t5.0\tS>N\t137.9125\t2019/01/25 09:12:49\n"
              "次回通過: NOAA-18 137.9125MHz 09:05:36>09:19:57 N>S MaxElev 36.3deg\n");
}

TEST(PassListing, OptionValues)
{
    const auto t = ParseUtcInstant("2019/01/25 23:04:05");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->year, 2019);
    EXPECT_EQ(t->day, 25);
    EXPECT_EQ(t->second, 5);
    for (const char* bad : {"2019/02/29 00:00:00", "2019/1/25 00:00:00", "2019/01/25 24:00:00",
                            "2019/01/25T00:00:00", "2019/01/25 00:00", "abcd/01/25 00:00:00"})
        EXPECT_FALSE(ParseUtcInstant(bad)) << bad;
    EXPECT_TRUE(ParseUtcInstant("2020/02/29 12:00:00"));

    const auto s = ParseStationPosition("-33.87,151.21");
    ASSERT_TRUE(s);
    EXPECT_DOUBLE_EQ(s->latitudeDeg, -33.87);
    EXPECT_DOUBLE_EQ(s->longitudeDeg, 151.21);
    for (const char* bad : {"35", "35,", ",139", "95,10", "35;139", "35,139x"})
        EXPECT_FALSE(ParseStationPosition(bad)) << bad;

    const auto sel = ParseSatelliteSelection("NOAA-19,NOAA-11");
    ASSERT_TRUE(sel);
    EXPECT_EQ(*sel, (std::array<bool, 8>{true, false, false, false, false, false, false, true}));
    EXPECT_FALSE(ParseSatelliteSelection("NOAA-19,NOAA-20"));
    EXPECT_FALSE(ParseSatelliteSelection("NOAA-19,"));
    // as people type them
    EXPECT_EQ(ParseSatelliteSelection("noaa19,N11"), sel);
}

TEST(PassListing, SatellitesAreKnownHoweverTheyAreSpelled)
{
    const std::pair<const char*, const char*> cases[] = {
        {"NOAA-19", "NOAA-19"}, {"NOAA 19", "NOAA-19"}, {"noaa19", "NOAA-19"}, {"Noaa_18", "NOAA-18"},
        {" n15 ", "NOAA-15"},   {"NOAA-9", "NOAA-9"},   {"noaa9", "NOAA-9"},
        // left as typed: not a NOAA satellite's number, or not one at all
        {"n9", "n9"}, {"noaa190", "noaa190"}, {"noaa-", "noaa-"}, {"NOAA-07", "NOAA-07"}, {"METOP-B", "METOP-B"},
        {"N", "N"}, {"", ""}};
    for (const auto& [typed, named] : cases) EXPECT_EQ(SatelliteAsNamed(typed), named) << "'" << typed << "'";
}

TEST(PassListing, SingleSatelliteWithOnePassLeavesNoStaleSlot)
{
    // A high pass threshold leaves NOAA 19 with at most one pass in the day;
    // the free slot is emptied and sorted last, so slot 0 is a real pass even
    // when an earlier computation left other contents behind.
    PassMemory memory;
    memory.table[1].satellite = "NOAA-15";
    memory.table[1].start = EncodeDayTime(2001, 1, 1, 0, 0, 0);
    PassRequest r;
    r.elementFilePath = sorae::testing::realElementFile();
    r.receptionList = MakeReceptionList({false, false, false, false, false, false, false, true});
    r.now = UtcInstant{2019, 1, 25, 0, 0, 0};
    r.settings.maxElevDeg = 45.0;
    const PassComputation result = ComputePasses(r, memory);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.satelliteCount, 1);
    EXPECT_EQ(result.table[0].satellite, "NOAA-19");
    EXPECT_GE(result.table[0].maximumElevationDeg, 45.0);
    EXPECT_EQ(result.table[1].satellite, "");
    EXPECT_EQ(FormatPassListing(result).find("NOAA-15"), std::string::npos);
}
