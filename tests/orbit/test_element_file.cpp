// Element-file reading, preparation and satellite names.
#include "orbit/orbital_elements.h"
#include "orbit/sgp_propagator.h"
#include "orbit_test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace sorae;
using sorae::testing::noaa19Set;
using sorae::testing::writeTempFile;

namespace {

const char* kSgpLine1 = "1 88888U          80275.98708465  .00073094  13844-3  66816-4 0     8";
const char* kSgpLine2 = "2 88888  72.8435 115.9689 0086731  52.6988 110.5714 16.05824518   105";

std::string repeatSets(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += noaa19Set();
    return text;
}

}  // namespace

TEST(ElementLines, ColumnFieldsAndImpliedPointFields)
{
    OrbitalElements e;
    ParseElementLines(e, "TEST SAT", kSgpLine1, kSgpLine2);
    EXPECT_EQ(e.name, "TEST SAT");
    EXPECT_DOUBLE_EQ(e.epoch, 80275.98708465);
    EXPECT_DOUBLE_EQ(e.meanMotionFirstTerm, 0.00073094);
    EXPECT_NEAR(e.meanMotionSecondTerm, 0.13844e-3, 1e-18);
    EXPECT_NEAR(e.dragTerm, 0.66816e-4, 1e-19);
    EXPECT_DOUBLE_EQ(e.inclination, 72.8435);
    EXPECT_DOUBLE_EQ(e.rightAscensionOfNode, 115.9689);
    EXPECT_DOUBLE_EQ(e.eccentricity, 0.0086731);
    EXPECT_DOUBLE_EQ(e.argumentOfPerigee, 52.6988);
    EXPECT_DOUBLE_EQ(e.meanAnomaly, 110.5714);
    EXPECT_DOUBLE_EQ(e.meanMotion, 16.05824518);
}

TEST(ElementLines, DragTermSignsAndExponents)
{
    std::string line1 = sorae::testing::kNoaa19Line1;
    OrbitalElements e;
    line1.replace(53, 8, " 12345-3");
    ParseElementLines(e, "X", line1, sorae::testing::kNoaa19Line2);
    EXPECT_NEAR(e.dragTerm, 0.12345e-3, 1e-18);
    line1.replace(53, 8, "-11606-4");
    line1.replace(44, 8, "-22222-5");
    ParseElementLines(e, "X", line1, sorae::testing::kNoaa19Line2);
    EXPECT_NEAR(e.dragTerm, -0.11606e-4, 1e-19);
    EXPECT_NEAR(e.meanMotionSecondTerm, -0.22222e-5, 1e-20);
}

TEST(ElementLines, ShortAndGarbledLinesReadAsZero)
{
    OrbitalElements e;
    e.meanMotion = 99.0;
    ParseElementLines(e, "X", "1 33591U 09005A   19024.95618551", "2 33591  99.1678  12.6689 00148");
    EXPECT_DOUBLE_EQ(e.epoch, 19024.95618551);
    EXPECT_DOUBLE_EQ(e.meanMotionFirstTerm, 0.0);
    EXPECT_DOUBLE_EQ(e.dragTerm, 0.0);
    EXPECT_DOUBLE_EQ(e.meanMotion, 0.0);  // missing columns are blank, not left-overs
    EXPECT_DOUBLE_EQ(e.eccentricity, 0.00148);
    std::string line2 = sorae::testing::kNoaa19Line2;
    line2.replace(8, 8, "  abc.de");
    ParseElementLines(e, "X", sorae::testing::kNoaa19Line1, line2);
    EXPECT_DOUBLE_EQ(e.inclination, 0.0);
    EXPECT_DOUBLE_EQ(e.meanMotion, 14.12330663);  // column 64 onwards is cut off at 69
}

TEST(ElementFile, ReadsRealFileWithCrLf)
{
    ElementSetArray sets;
    int count = -5;
    ASSERT_EQ(ReadElementFile(sets, count, sorae::testing::realElementFile()), 0);
    EXPECT_EQ(count, 22);
    EXPECT_EQ(sets[0].name, "NOAA 1 [-]");
    EXPECT_EQ(sets[21].name, "NOAA 20 [+]");
    EXPECT_DOUBLE_EQ(sets[21].meanMotion, 14.19537735);
    EXPECT_DOUBLE_EQ(sets[21].epoch, 19025.95010176);
}

TEST(ElementFile, SetCountsAndFailures)
{
    ElementSetArray sets;
    int count = 0;
    const std::string many = writeTempFile("many", repeatSets(33));
    EXPECT_EQ(ReadElementFile(sets, count, many), 0);
    EXPECT_EQ(count, 32);

    // Blank lines around sets and a byte-order mark are passed over.
    const std::string blanks = writeTempFile("blank", "\xEF\xBB\xBF" + repeatSets(1) + "\r\n \r\n" + repeatSets(1) + "\r\n");
    EXPECT_EQ(ReadElementFile(sets, count, blanks), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(sets[0].name, sets[1].name);

    const std::string exact = writeTempFile("exact", repeatSets(2));
    EXPECT_EQ(ReadElementFile(sets, count, exact), 0);
    EXPECT_EQ(count, 2);

    const std::string cutShort = writeTempFile("short", repeatSets(1) + "NOAA 18\n" + sorae::testing::kNoaa19Line1);
    EXPECT_EQ(ReadElementFile(sets, count, cutShort), -1);
    EXPECT_EQ(count, 1);

    count = 7;
    EXPECT_EQ(ReadElementFile(sets, count, "/nonexistent/dir/SatTle.txt"), -1);
    EXPECT_EQ(count, 7);

    for (const auto& p : {many, blanks, exact, cutShort})
        std::filesystem::remove(p);
}

TEST(ElementFile, OverlongLinesAreReadInPieces)
{
    // A read takes at most 254 characters; the rest of the line is the next read,
    // so the sets after it are out of step, as with the original reader.
    ElementSetArray sets;
    int count = 0;
    const std::string path = writeTempFile("long", std::string(300, 'N') + "\n" + repeatSets(1));
    EXPECT_EQ(ReadElementFile(sets, count, path), -1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(sets[0].name, std::string(24, 'N'));
    std::filesystem::remove(path);
}

TEST(SatelliteName, Normalisation)
{
    EXPECT_EQ(NormalisedSatelliteName("NOAA 19 [+]             "), "NOAA-19");
    EXPECT_EQ(NormalisedSatelliteName("NOAA 19"), "NOAA-19");
    EXPECT_EQ(NormalisedSatelliteName("NOAA 9 [P]"), "NOAA-9");
    EXPECT_EQ(NormalisedSatelliteName("NOAA-18"), "NOAA-18");
    EXPECT_EQ(NormalisedSatelliteName("NOAA"), "NOAA");
    EXPECT_EQ(NormalisedSatelliteName("TIROS N [P]"), "TIROS-N");

    ElementSetArray sets;
    int count = 0;
    const std::string path = writeTempFile("names", noaa19Set("NOAA 9 [P]              ") + noaa19Set());
    ASSERT_EQ(ReadElementFile(sets, count, path), 0);
    NormaliseSatelliteName(sets[0]);
    NormaliseSatelliteName(sets[1]);
    EXPECT_EQ(sets[0].name, "NOAA-9");
    EXPECT_EQ(sets[1].name, "NOAA-19");
    std::filesystem::remove(path);
}

TEST(Preparation, UnitsAndNearEarthCheck)
{
    OrbitalElements e;
    ParseElementLines(e, "X", kSgpLine1, kSgpLine2);
    PrepareElements(e);
    EXPECT_NEAR(e.meanMotion, 16.05824518 * 2.0 * M_PI / 1440.0, 1e-15);
    EXPECT_NEAR(e.meanMotionFirstTerm, 0.00073094 * 2.0 * M_PI / (1440.0 * 1440.0), 1e-18);
    EXPECT_NEAR(e.meanMotionSecondTerm, 0.13844e-3 * 2.0 * M_PI / (1440.0 * 1440.0 * 1440.0), 1e-20);
    EXPECT_NEAR(e.inclination, 72.8435 * M_PI / 180.0, 1e-15);
    EXPECT_DOUBLE_EQ(e.eccentricity, 0.0086731);

    std::string line2 = sorae::testing::kNoaa19Line2;
    line2.replace(52, 11, " 6.30000000");
    OrbitalElements slow;
    ParseElementLines(slow, "SLOW", sorae::testing::kNoaa19Line1, line2);
    PrepareElements(slow);
    EXPECT_GT(OrbitalPeriod(slow), 225.0);
    EXPECT_FALSE(IsNearEarth(slow));

    line2.replace(52, 11, "14.10000000");
    OrbitalElements fast;
    ParseElementLines(fast, "FAST", sorae::testing::kNoaa19Line1, line2);
    PrepareElements(fast);
    EXPECT_NEAR(OrbitalPeriod(fast), 102.0, 0.5);
    EXPECT_TRUE(IsNearEarth(fast));
}
