// When a recording began, for naming its pictures and placing its pass:
// from a date and time in the file name when it holds one, else from the
// file's modification time (taken as the end of the recording) minus its
// length. Times are day counts in station time (UT + 9 h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorae {

enum class StartTimeSource {
    FileName,          // a date and time found in the name
    ModificationTime,  // the file's modification time minus its length
};

struct RecordingStartTime {
    double stationDays = 0.0;  // day count, station time
    StartTimeSource source = StartTimeSource::FileName;
};

// The first date and time in a file name (folders are ignored): year,
// month, day, hour, minute and optionally second, each field with or without
// one separator between them, e.g. "20190124_093015", "2019-01-24 09.30.15",
// "gqrx_20190124_093015_137100000.wav", "NOAA19-20190124-0930.flac".
// Nothing when the name holds no such time or only impossible ones.
std::optional<double> StartTimeFromFileName(std::string_view path);

// Station time of a recording that ended at `modifiedUnixSeconds` and lasted
// `lengthSeconds`.
double StartTimeFromModification(std::int64_t modifiedUnixSeconds, double lengthSeconds);

// The file name's time, else the modification time minus the length;
// nothing when neither is to be had (the file cannot be examined).
std::optional<RecordingStartTime> FindRecordingStartTime(const std::string& path,
                                                         double lengthSeconds);

}  // namespace sorae
