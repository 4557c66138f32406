// When a recording began, for naming its pictures and placing its lines on
// the ground, and which satellite it holds when its name says so.
//
// The start is the time of the recording's first sample, found by the
// first rule that gives one:
//   1. given on the command line (`decode --start`, ISO 8601 with its zone);
//   2. the file name, by the conventions below, each with its time zone;
//   3. the file's modification time (taken as its end) less its length,
//      reported as approximate.
//
// File-name conventions (the folder's name is never read):
//   - this program's pass audio, YYYYMMDDHHMM + satellite part ("19", "MN")
//     [+ "_N"] + ".flac", e.g. 20250115193119.flac: station time (UT + 9 h),
//     the minute of the pass's maximum elevation, so approximate; the
//     satellite comes back from the part;
//   - gqrx, gqrx_YYYYMMDD_HHMMSS_FREQ.wav: UTC;
//   - SDR#, SDRSharp_YYYYMMDD_HHMMSSZ_FREQ_AF.wav: UTC;
//   - HDSDR, HDSDR_YYYYMMDD_HHMMSSZ_FREQ_AF.wav: UTC;
//   - SDR++, ..._HH-MM-SS_DD-MM-YYYY.wav: the recording computer's local
//     time, taken as this computer's time zone;
//   - any other date and time in the name, YYYYMMDD HHMM[SS] with or
//     without one separator between fields ("20210714220140.wav",
//     "NOAA19_137100_20250115_102300.wav", "2019-01-24 09.30.15.flac"):
//     UTC. The digits may not run on into a longer number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorae {

struct RecordingStart {
    double unixSeconds = 0.0;  // UTC of the first sample
    std::string source;        // the rule used, e.g. "gqrx file name (UTC)"
    bool approximate = false;  // off by more than a second or two, perhaps by minutes
};

struct FileNameTime {
    double unixSeconds = 0.0;
    std::string convention;   // e.g. "SDR# file name (UTC)"
    bool approximate = false;
    std::optional<std::string> satellite;  // set by the conventions that name it
};

// The start time a file name gives by the conventions above; nothing when
// the name holds no possible date and time.
std::optional<FileNameTime> TimeFromFileName(std::string_view path);

// "2021-07-14T22:01:40Z", "2021-07-14T22:01:40.25+09:00", "...+0900",
// also with a space for the T. The zone is required: nothing, with
// *error, for a text without one or an impossible date.
std::optional<double> ParseIsoStartTime(std::string_view text, std::string* error = nullptr);

// The recording's start by the three rules; nothing when no rule gives one
// (no time given or in the name, and the file cannot be examined).
std::optional<RecordingStart> FindRecordingStart(const std::string& path, double lengthSeconds,
                                                 std::optional<double> givenUnixSeconds = std::nullopt);

// The satellite a file name names, as the element reader normalises names
// ("NOAA-19"): "NOAA19", "noaa-19", "NOAA_19", "N19", or this program's own
// pass-audio name. Nothing for a manual reception's name or none at all.
std::optional<std::string> SatelliteFromFileName(std::string_view path);

// ---- station-time forms, for picture names ----

enum class StartTimeSource {
    FileName,          // a date and time found in the name
    ModificationTime,  // the file's modification time minus its length
};

struct RecordingStartTime {
    double stationDays = 0.0;  // day count, station time
    StartTimeSource source = StartTimeSource::FileName;
};

// Day count in station time (UT + 9 h) of a UTC instant.
double StationDaysFromUnixSeconds(double unixSeconds);

// The start time in the file name as a station-time day count.
std::optional<double> StartTimeFromFileName(std::string_view path);

// Station time of a recording that ended at `modifiedUnixSeconds` and lasted
// `lengthSeconds`.
double StartTimeFromModification(std::int64_t modifiedUnixSeconds, double lengthSeconds);

// The file name's time, else the modification time minus the length;
// nothing when neither is to be had (the file cannot be examined).
std::optional<RecordingStartTime> FindRecordingStartTime(const std::string& path,
                                                         double lengthSeconds);

}  // namespace sorae
