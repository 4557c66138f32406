// Element files that once hung or broke the orbit code, found by fuzzing
// the element-file reader. Each is read and propagated the way the program
// does it before a pass search.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "orbit/day_time.h"
#include "orbit/orbital_elements.h"
#include "orbit/pass_computation.h"
#include "orbit/sgp_propagator.h"
#include "orbit_test_files.h"

namespace sorae {
namespace {

std::string readFixture(const std::string& name)
{
    std::ifstream in(std::string(SORAE_TEST_DATA_DIR) + "/fuzz/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string noaa19WithEpoch(const char* epochColumns)
{
    std::string line1 = testing::kNoaa19Line1;
    line1.replace(18, 14, epochColumns);
    return std::string(testing::kNoaa19Name) + "\r\n" + line1 + "\r\n" + testing::kNoaa19Line2 + "\r\n";
}

PassComputation searchNoaa19(const std::string& path)
{
    PassRequest request;
    request.elementFilePath = path;
    request.receptionList = MakeReceptionList({false, false, false, false, false, false, false, true});
    request.now = UtcInstant{2019, 1, 25, 0, 0, 0};
    return ComputePasses(request);
}

TEST(OrbitFuzzRegressions, FarAnglesAreReducedInsteadOfLoopingForever)
{
    // Subtracting 2pi from 1e300 leaves 1e300: the step-by-step reduction
    // alone never ended on such angles.
    for (const double far : {1e300, -1e300, 4e17, -4e17, 65537.0 * kTwoPi + 1.0}) {
        const double r = ReduceAngle(far);
        EXPECT_GE(r, 0.0) << far;
        EXPECT_LE(r, kTwoPi) << far;
    }
    EXPECT_NEAR(ReduceAngle(65537.0 * kTwoPi + 1.0), 1.0, 1e-9);
    EXPECT_NEAR(ReduceAngle(-(70000.0 * kTwoPi + 0.5)), kTwoPi - 0.5, 1e-9);
    EXPECT_TRUE(std::isnan(ReduceAngle(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(ReduceAngle(-std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(ReduceAngle(std::numeric_limits<double>::quiet_NaN())));
}

TEST(OrbitFuzzRegressions, AbsurdMeanAnomalyStillGivesAnOrbitAndAPassSearch)
{
    // NOAA 19 with "1e300" in the mean anomaly columns (44-51).
    std::string line2 = testing::kNoaa19Line2;
    line2.replace(43, 8, "1e300   ");
    const std::string text = std::string(testing::kNoaa19Name) + "\r\n" + testing::kNoaa19Line1 +
                             "\r\n" + line2 + "\r\n";
    const std::string path = testing::writeTempFile("fuzz_far_anomaly", text);

    ElementSetArray sets;
    int count = 0;
    ASSERT_EQ(ReadElementFile(sets, count, path), 0);
    ASSERT_EQ(count, 1);
    OrbitalElements el = sets[0];
    EXPECT_EQ(el.meanAnomaly, 1e300);
    PrepareElements(el);
    ASSERT_TRUE(IsNearEarth(el));
    for (const double t : {0.0, 100.0, 1440.0}) {
        const OrbitState s = PropagateOrbit(el, t);
        const double r = std::hypot(s.positionEarthRadii.x, s.positionEarthRadii.y,
                                    s.positionEarthRadii.z);
        // NOAA 19 flies about 860 km up: 1.13 earth radii from the centre.
        EXPECT_GT(r, 1.1) << t;
        EXPECT_LT(r, 1.2) << t;
    }

    const PassComputation passes = searchNoaa19(path);
    EXPECT_TRUE(passes.ok);
    EXPECT_EQ(passes.satelliteCount, 1);
    std::remove(path.c_str());
}

TEST(OrbitFuzzRegressions, ShiftedLinesWithZeroBytesAreReadAndPropagated)
{
    // The fuzzer's input: element lines shifted by one and zero bytes inside
    // a line. Its second set reads as 61180 revolutions a day, so 17 years
    // after its epoch the satellite has turned some 10^8 times: reducing that
    // angle step by step took minutes per position.
    const std::string data = readFixture("element-file-endless-angle.bin");
    ASSERT_FALSE(data.empty());
    const std::string path = testing::writeTempFile("fuzz_endless_angle", data);
    ElementSetArray sets;
    int count = -1;
    EXPECT_EQ(ReadElementFile(sets, count, path), 0);
    ASSERT_EQ(count, 2);
    OrbitalElements el = sets[1];
    EXPECT_EQ(el.meanMotion, 61180.0);
    PrepareElements(el);
    ASSERT_TRUE(IsNearEarth(el));
    const double minutes = MinutesSinceEpoch(el.epoch, UtcInstant{2019, 1, 24, 12, 0, 0});
    EXPECT_GT(minutes, 9e6);
    const SgpEpochTerms terms = SgpEpochTerms::from(el);
    for (const double t : {minutes, minutes + 102.0}) {
        const OrbitState s = terms.propagate(t);
        EXPECT_TRUE(std::isfinite(s.positionEarthRadii.x) && std::isfinite(s.positionEarthRadii.y) &&
                    std::isfinite(s.positionEarthRadii.z))
            << t;
    }
    std::remove(path.c_str());
}

TEST(OrbitFuzzRegressions, DamagedEpochsGiveNoPassesInsteadOfEndlessSearch)
{
    // An epoch this far from now leaves a one-second step smaller than the
    // spacing of doubles, so the search clock stood still. "nan" and "1e300"
    // also read as numbers and must not reach an integer conversion. The
    // reader now refuses such a set outright, so nothing is searched.
    for (const char* epoch : {"88888888888888", "1e300         ", "-1e300        ", "nan           ",
                              "inf           "}) {
        const std::string path = testing::writeTempFile("fuzz_far_epoch", noaa19WithEpoch(epoch));
        const PassComputation passes = searchNoaa19(path);
        EXPECT_TRUE(passes.ok) << epoch;
        EXPECT_EQ(passes.satelliteCount, 0) << epoch;
        EXPECT_TRUE(passes.table[0].satellite.empty()) << epoch;
        EXPECT_TRUE(passes.table[1].satellite.empty()) << epoch;
        std::remove(path.c_str());
    }
    // The same set with its real epoch still has its two passes.
    const std::string path = testing::writeTempFile("fuzz_far_epoch", noaa19WithEpoch("19024.95618551"));
    const PassComputation passes = searchNoaa19(path);
    EXPECT_EQ(passes.table[0].satellite, "NOAA-19");
    EXPECT_EQ(passes.table[1].satellite, "NOAA-19");
    std::remove(path.c_str());

    const EpochDate far = EpochToCalendar(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(far.dayFraction));
    EXPECT_GT(std::fabs(MinutesSinceEpoch(1e300, UtcInstant{})), 1e12);
}

TEST(OrbitFuzzRegressions, FuzzedFileWithAFarEpochIsSearchedToTheEnd)
{
    // The fuzzer's input (its first byte chose the default settings): four
    // sets, NOAA 19's epoch field reading 88888888888888.
    const std::string data = readFixture("pass-search-far-epoch.bin");
    ASSERT_GT(data.size(), 1u);
    const std::string path = testing::writeTempFile("fuzz_far_epoch_file", data.substr(1));
    PassRequest request;
    request.elementFilePath = path;
    request.receptionList = MakeReceptionList({true, true, true, true, true, true, true, true});
    request.now = UtcInstant{2019, 1, 24, 3, 0, 0};
    const PassComputation passes = ComputePasses(request);
    EXPECT_TRUE(passes.ok);
    // NOAA 19's damaged set is refused; NOAA 18 is searched and has passes.
    EXPECT_EQ(passes.satelliteCount, 1);
    EXPECT_EQ(passes.table[0].satellite, "NOAA-18");
    EXPECT_EQ(passes.table[1].satellite, "NOAA-18");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace sorae
