// The start time of a recording: the file-name conventions of receiver
// programs and of this program's own pass audio (each with its zone), names
// that hold no time or an impossible one (then the file's modification time
// less its length), the satellite a name gives, and --start's ISO 8601.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/time.h>

#include "common/scratch_folder.h"
#include "recording/recording_start_time.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

// Seconds since 1970 of a UTC date-time, computed independently of the code
// under test (timegm).
double utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return double(::timegm(&t));
}

}  // namespace

TEST(RecordingStartTime, FileNameConventionsElseTheModificationTimeLessTheLength) {
    // This computer's zone for the conventions that use it: Japan, UT + 9 h.
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    // Every file: modified 2020-06-01 12:00:00 UT, 900 s long.
    constexpr std::int64_t kModified = 1591012800;
    constexpr double kLength = 900.0;
    const double fromModification = double(kModified) - kLength;
    struct Case {
        const char* name;
        std::optional<double> start;  // unset: the modification time is used
        const char* convention;       // a word of the source reported
        bool approximate;
        const char* satellite;        // "" for none
    };
    const Case cases[] = {
        {"gqrx_20210714_220140_137100000.wav", utc(2021, 7, 14, 22, 1, 40), "gqrx", false, ""},
        {"SDRSharp_20231231_235959Z_137912500Hz_AF.wav", utc(2023, 12, 31, 23, 59, 59), "SDR#", false, ""},
        {"HDSDR_20210714_220140Z_137100kHz_AF.wav", utc(2021, 7, 14, 22, 1, 40), "HDSDR", false, ""},
        {"audio_137100000Hz_07-01-40_15-07-2021.wav", utc(2021, 7, 14, 22, 1, 40), "SDR++", false, ""},
        {"20210714220140.wav", utc(2021, 7, 14, 22, 1, 40), "UTC", false, ""},
        // the program's own pass audio: station time, satellite part
        {"20250116073119.flac", utc(2025, 1, 15, 22, 31, 0), "pass audio", true, "NOAA-19"},
        {"20250116073118_2.flac", utc(2025, 1, 15, 22, 31, 0), "pass audio", true, "NOAA-18"},
        {"202501160731MN.flac", utc(2025, 1, 15, 22, 31, 0), "pass audio", true, ""},
        {"20250116073109.flac", utc(2025, 1, 15, 22, 31, 0), "pass audio", true, "NOAA-9"},
        // a date anywhere, after other digits; satellites spelled variously
        {"NOAA19_137100_20250115_102300.wav", utc(2025, 1, 15, 10, 23, 0), "UTC", false, "NOAA-19"},
        {"noaa-18 2019-01-24 09.30.15.flac", utc(2019, 1, 24, 9, 30, 15), "UTC", false, "NOAA-18"},
        {"N15_20190124T093015Z.wav", utc(2019, 1, 24, 9, 30, 15), "UTC", false, "NOAA-15"},
        {"pass_noaa_19-20190124-0930.flac", utc(2019, 1, 24, 9, 30, 0), "UTC", false, "NOAA-19"},
        // no time, or none that can be
        {"noaa18.wav", std::nullopt, "modification", true, "NOAA-18"},
        {"137912500.wav", std::nullopt, "modification", true, ""},
        {"2019012409301.wav", std::nullopt, "modification", true, ""},   // digits run on
        {"20190124_0930151.wav", std::nullopt, "modification", true, ""},
        {"20190230_120000.wav", std::nullopt, "modification", true, ""},  // 30 February
        {"20190229_120000.wav", std::nullopt, "modification", true, ""},  // not a leap year
        {"gqrx_20191324_093015_137100000.wav", std::nullopt, "modification", true, ""},
        {"20190124_243015.wav", std::nullopt, "modification", true, ""},
        {"18991230_120000.wav", std::nullopt, "modification", true, ""},
        {"20251301073119.flac", std::nullopt, "modification", true, ""},
        {"SN190_recording.wav", std::nullopt, "modification", true, ""},  // not a satellite
        {"20200101_000000/recording.wav", std::nullopt, "modification", true, ""},  // a folder's name
    };
    testsupport::ScratchFolder dir("sorae-start-");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = dir.path() / c.name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "x";
        const timeval times[2] = {{kModified, 0}, {kModified, 0}};
        ASSERT_EQ(::utimes(path.c_str(), times), 0);

        const auto found = FindRecordingStart(path.string(), kLength);
        ASSERT_TRUE(found.has_value());
        EXPECT_DOUBLE_EQ(found->unixSeconds, c.start.value_or(fromModification));
        EXPECT_NE(found->source.find(c.convention), std::string::npos) << found->source;
        EXPECT_EQ(found->approximate, c.approximate);
        EXPECT_EQ(SatelliteFromFileName(path.string()).value_or(""), c.satellite);
        // The station-time form the picture names are made from agrees.
        const auto station = FindRecordingStartTime(path.string(), kLength);
        ASSERT_TRUE(station.has_value());
        EXPECT_EQ(station->source, c.start ? StartTimeSource::FileName : StartTimeSource::ModificationTime);
        EXPECT_NEAR(station->stationDays, StationDaysFromUnixSeconds(c.start.value_or(fromModification)), 1e-7);
    }
    // A time given wins over the name; a file that is not there has no
    // time, unless its name gives one.
    const std::string named = (dir.path() / "gqrx_20210714_220140_137100000.wav").string();
    EXPECT_EQ(FindRecordingStart(named, kLength, 1e9)->source, "--start");
    EXPECT_FALSE(FindRecordingStart((dir.path() / "missing.wav").string(), kLength).has_value());
    EXPECT_TRUE(FindRecordingStart((dir.path() / "missing_20190124_093015.wav").string(), kLength));
    ::unsetenv("TZ");
    ::tzset();
}

TEST(RecordingStartTime, IsoStartTimesWithTheirZone) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    const Case cases[] = {
        {"2021-07-14T22:01:40Z", utc(2021, 7, 14, 22, 1, 40)},
        {"2021-07-15T07:01:40+09:00", utc(2021, 7, 14, 22, 1, 40)},
        {"2021-07-14T18:01:40.5-0400", utc(2021, 7, 14, 22, 1, 40) + 0.5},
        {"2021-07-14 22:01:40Z", utc(2021, 7, 14, 22, 1, 40)},
        {"2021-07-14T22:01:40", std::nullopt},   // no zone
        {"2021-02-29T22:01:40Z", std::nullopt},
        {"2021-07-14T24:01:40Z", std::nullopt},
        {"2021-07-14T22:01:40+25:00", std::nullopt},
        {"20210714T220140Z", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto parsed = ParseIsoStartTime(c.text, &error);
        EXPECT_EQ(parsed, c.seconds) << c.text;
        EXPECT_EQ(error.empty(), c.seconds.has_value()) << c.text;
    }
}
