// `sorae-apt passes` takes satellites and times as people write them: the
// element reader's names or "noaa19", "N18"; its own "YYYY/MM/DD hh:nn:ss"
// or ISO 8601 with an offset, as `decode --start` does. Each spelling must
// list the same passes.
#include <gtest/gtest.h>

#include <string>

#include "common/program_run.h"

namespace {

using sorae::testsupport::runProgram;

std::string passes(const std::string& options) {
    const std::string elements = std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-05-21.txt";
    const auto run = runProgram("passes --data-dir /nonexistent-sorae-folder --elements '" + elements +
                                "' --station 40,-4 " + options);
    EXPECT_EQ(run.status, 0) << run.output;
    return run.output;
}

TEST(PassesCommand, SatellitesAndTimesSpelledEitherWayListTheSamePasses) {
    const std::string plain = passes("--satellites NOAA-19,NOAA-18 --at '2019/05/21 17:00:00'");
    // the real NOAA 19 pass over Spain, 17:00:45 UT
    ASSERT_NE(plain.find("NOAA-19\t2019/05/22 02:00:45"), std::string::npos) << plain;
    EXPECT_EQ(passes("--satellites noaa19,N18 --at 2019-05-21T17:00:00Z"), plain);
    EXPECT_EQ(passes("--satellites 'NOAA 19,noaa_18' --at 2019-05-22T02:00:00+09:00"), plain);
    const auto bad = runProgram("passes --at 2019-05-21T26:00:00Z");
    EXPECT_EQ(bad.status, 2) << bad.output;
}

}  // namespace
