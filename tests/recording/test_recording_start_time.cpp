// The start time of a recording, over file names that hold a date and time
// in the shapes receiver programs write, names that hold none or an
// impossible one (then the file's modification time less its length).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/time.h>

#include "imaging/picture_naming.h"
#include "recording/recording_start_time.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

struct Ut {
    int year, month, day, hour, minute, second;
};

double stationDays(const Ut& t) {
    return DayCountFromCivil(t.year, t.month, t.day, t.hour, t.minute, t.second) + 9.0 / 24.0;
}

}  // namespace

TEST(RecordingStartTime, FromTheFileNameElseFromTheModificationTimeLessTheLength) {
    // Every file: modified 2020-06-01 12:00:00 UT, 900 s long.
    constexpr std::int64_t kModified = 1591012800;
    constexpr double kLength = 900.0;
    const Ut fromModification{2020, 6, 1, 11, 45, 0};
    struct Case {
        const char* name;
        std::optional<Ut> inName;  // unset: the modification time is used
    };
    const Case cases[] = {
        {"20190124_093015.wav", Ut{2019, 1, 24, 9, 30, 15}},
        {"2019-01-24 09.30.15.flac", Ut{2019, 1, 24, 9, 30, 15}},
        {"gqrx_20190124_093015_137100000.wav", Ut{2019, 1, 24, 9, 30, 15}},
        {"NOAA19-20190124-0930.flac", Ut{2019, 1, 24, 9, 30, 0}},
        {"SDRSharp_20231231_235959Z_137912500Hz_AF.wav", Ut{2023, 12, 31, 23, 59, 59}},
        {"2024-02-29T06:15:00.wav", Ut{2024, 2, 29, 6, 15, 0}},
        {"noaa18.wav", std::nullopt},
        {"137912500.wav", std::nullopt},
        {"2019012409301.wav", std::nullopt},            // digits run on
        {"20190124_0930151.wav", std::nullopt},
        {"20190230_120000.wav", std::nullopt},           // 30 February
        {"20190229_120000.wav", std::nullopt},           // not a leap year
        {"20191324_093015.wav", std::nullopt},
        {"20190124_243015.wav", std::nullopt},
        {"20190124_096015.wav", std::nullopt},
        {"18991230_120000.wav", std::nullopt},
        {"20200101_000000/recording.wav", std::nullopt},  // a folder's name is not the file's
    };
    const fs::path dir = fs::temp_directory_path() / ("sorae-start-" + std::to_string(::getpid()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir / c.name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        const timeval times[2] = {{kModified, 0}, {kModified, 0}};
        ASSERT_EQ(::utimes(path.c_str(), times), 0);

        const auto found = FindRecordingStartTime(path.string(), kLength);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->source, c.inName ? StartTimeSource::FileName : StartTimeSource::ModificationTime);
        EXPECT_NEAR(found->stationDays, stationDays(c.inName.value_or(fromModification)), 1e-7);
        EXPECT_EQ(StartTimeFromFileName(path.string()).has_value(), c.inName.has_value());
    }
    // A file that is not there has no time, unless its name gives one.
    EXPECT_FALSE(FindRecordingStartTime((dir / "missing.wav").string(), kLength).has_value());
    EXPECT_TRUE(FindRecordingStartTime((dir / "missing_20190124_093015.wav").string(), kLength));
    fs::remove_all(dir);
}
