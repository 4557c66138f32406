// The choice of element set for a recorded pass: every set of a long file
// is seen, the nearest epoch of the named satellite wins, and the 5- and
// 60-day limits warn and refuse.
#include "orbit/element_choice.h"
#include "orbit_test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace sorae;

namespace {

// NOAA 19's real set with its epoch field replaced (14 columns), under
// `nameLine` ("" for none, as in two-line archive downloads).
std::string noaa19At(const char* epochField, const std::string& nameLine = "NOAA 19 [+]             ")
{
    std::string line1 = "1 33591U 09005A   19024.95618551  .00000053  00000-0  53948-4 0  9992";
    line1.replace(18, 14, epochField);
    return (nameLine.empty() ? "" : nameLine + "\r\n") + line1 + "\r\n" +
           "2 33591  99.1678  12.6689 0014882  65.9693 294.3034 14.12330663513212\r\n";
}

// 2019 day d at 00:00 UTC.
double unixDay2019(double day) { return 1546300800.0 + (day - 1.0) * 86400.0; }

}  // namespace

TEST(ElementChoice, NearestEpochOfTheSatelliteAmongEverySetOfTheFile)
{
    // Forty sets: the real file's 22 (other satellites, and NOAA 19 of day
    // 24), damaged NOAA 19 sets, and NOAA 19 of days 100, 200 and 300 last,
    // past where a 32-set reader stops.
    std::string text;
    {
        std::FILE* f = std::fopen(sorae::testing::realElementFile().c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char buffer[8192];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    text += noaa19At("nan           ") + noaa19At("19400.00000000") + noaa19At("inf           ");
    for (int i = 0; i < 12; ++i) text += noaa19At("88888888888888");
    text += noaa19At("19100.00000000") + noaa19At("19200.00000000") + noaa19At("19300.00000000");
    const std::string path = sorae::testing::writeTempFile("choice", text);

    struct Case {
        double passDay;
        ElementChoiceStatus status;
        double epochDay;   // of the set chosen
    };
    const Case cases[] = {
        {25.0, ElementChoiceStatus::Chosen, 24.95618551},
        {29.9, ElementChoiceStatus::Chosen, 24.95618551},
        {30.5, ElementChoiceStatus::Distant, 24.95618551},
        {62.0, ElementChoiceStatus::Distant, 24.95618551},
        {62.5, ElementChoiceStatus::Distant, 100.0},   // nearer the later set
        {203.0, ElementChoiceStatus::Chosen, 200.0},
        {299.0, ElementChoiceStatus::Chosen, 300.0},
        {359.0, ElementChoiceStatus::Distant, 300.0},
        {361.0, ElementChoiceStatus::TooFar, 300.0},   // day 400 of 2019 is no date
        {-40.0, ElementChoiceStatus::TooFar, 24.95618551},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.passDay);
        const ElementChoice choice = ChooseElementSetFromFile(path, "NOAA-19", unixDay2019(c.passDay));
        EXPECT_EQ(choice.status, c.status) << choice.message;
        ASSERT_TRUE(choice.elements.has_value());
        EXPECT_NEAR(choice.elements->epoch, 19000.0 + c.epochDay, 1e-9);
        EXPECT_NEAR(choice.epochDistanceDays, c.passDay - c.epochDay, 1e-6);
        EXPECT_EQ(choice.usable(), c.status != ElementChoiceStatus::TooFar);
        EXPECT_EQ(choice.setsOfSatellite, 4);
        EXPECT_NE(choice.message.find("damaged"), std::string::npos) << choice.message;
    }
    // Any spelling of the name finds the same sets; another satellite its own.
    EXPECT_EQ(ChooseElementSetFromFile(path, "NOAA 19", unixDay2019(25)).setsOfSatellite, 4);
    EXPECT_EQ(ChooseElementSetFromFile(path, "NOAA-18", unixDay2019(25)).status, ElementChoiceStatus::Chosen);
    const ElementChoice missing = ChooseElementSetFromFile(path, "METOP-C", unixDay2019(25));
    EXPECT_EQ(missing.status, ElementChoiceStatus::NoSet);
    EXPECT_FALSE(missing.usable());
}

TEST(ElementChoice, ArchiveDownloadsWithoutNamesOrWithNumberedNames)
{
    // Two-line sets are named from their catalog number, "0 "-led names
    // lose the "0 ", and a set spelt "NOAA19" is still NOAA 19's by its number.
    const std::string noaa18 =
        "1 28654U 05018A   19024.86715314 +.00000060 +00000-0 +57656-4 0  9999\n"
        "2 28654 099.0983 188.4159 0013259 254.3290 105.6418 14.12424959721495\n";
    const std::string noaa20 =  // not an APT satellite: named by its number
        "1 43013U 17073A   19025.95010176  .00000007  00000-0  24241-4 0  9999\n"
        "2 43013  98.7491 326.2096 0001018  62.2366 297.8913 14.19537735 61511\n";
    const std::string text = noaa19At("19100.00000000", "") + noaa18 + noaa20 +
                             noaa19At("19200.00000000", "0 NOAA 19") + noaa19At("19300.00000000", "NOAA19") + "\n";
    const std::string path = sorae::testing::writeTempFile("archive", text);

    std::vector<OrbitalElements> sets;
    ASSERT_EQ(ReadAllElementSets(sets, path), 0);
    std::vector<std::string> names;
    for (const OrbitalElements& set : sets) names.push_back(set.name);
    EXPECT_EQ(names, (std::vector<std::string>{"NOAA 19", "NOAA 18", "43013", "NOAA 19", "NOAA19"}));
    EXPECT_EQ(sets[2].catalogNumber, 43013);

    for (const double passDay : {101.0, 199.0, 301.0}) {
        const ElementChoice choice = ChooseElementSetFromFile(path, "NOAA-19", unixDay2019(passDay));
        EXPECT_EQ(choice.status, ElementChoiceStatus::Chosen) << choice.message;
        EXPECT_EQ(choice.setsOfSatellite, 3);
        ASSERT_TRUE(choice.elements.has_value());
        EXPECT_NEAR(choice.elements->epoch, 19000.0 + std::round(passDay / 100.0) * 100.0, 1e-9);
    }
    EXPECT_EQ(ChooseElementSetFromFile(path, "N18", unixDay2019(25)).status, ElementChoiceStatus::Chosen);
}

TEST(ElementChoice, WhatIsNotAnElementFileIsRefusedWithoutReadingIt)
{
    for (const char* path : {"/dev/zero", "/nonexistent/SatTle.txt", "/tmp"}) {
        const ElementChoice choice = ChooseElementSetFromFile(path, "NOAA-19", unixDay2019(25));
        EXPECT_EQ(choice.status, ElementChoiceStatus::Unreadable) << path;
        EXPECT_NE(choice.message.find(path), std::string::npos) << choice.message;
    }
}
