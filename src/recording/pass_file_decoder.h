// One recording to the two channel pictures of its pass: decoded through the
// live chain into a line store, then calibrated, titled and saved by the
// picture rules, named from the pass's time (given, or the recording's own
// start time). The same for one file or for each file of a batch.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "imaging/pass_pictures.h"
#include "orbit/element_choice.h"
#include "recording/recording_decoder.h"
#include "recording/recording_start_time.h"

namespace sorae {

// What is done with every recording of a run.
struct PassFileOptions {
    RecordingDecodeOptions decode;          // `path` and `progress` are set per file
    PictureRules rules;
    std::optional<std::string> satellite;   // unset: the file name's, else a manual reception (no title)
    std::optional<double> frequencyMHz;     // unset: the satellite's own
    double maxElevationDeg = 0.0;
    std::optional<double> passTime;         // station day count; unset: the recording's start
    double fallbackTime = 0.0;              // when the recording gives no start time either
    std::optional<double> startUnixSeconds; // UTC of the first sample, given (--start)
    std::string elementFile;                // where the satellite's element sets are looked for
    // Lay the pictures the way the orbit says the satellite flew (north up),
    // in place of decode.direction, when the satellite, the start and an
    // element set are known.
    bool directionFromOrbit = false;
    std::string picsFolder;
    const char* minLinesName = "Pic/MinScanLine";  // where rules.minScanLine came from
    // Shared by the recordings decoded together (PassPictureInputs::claimName).
    std::function<int(const std::string& folder, const std::string& stem)> claimName;
    // Called once the pictures are saved, with the recording's path and its
    // start (given or found; unset when unknown); its lines are added to the
    // report's notes.
    std::function<std::vector<std::string>(const std::string& path, const LineStore& store,
                                            const PassPictureResult& pictures,
                                            const std::optional<RecordingStart>& start)>
        afterPictures;
};

struct PassFileReport {
    std::string path;
    bool decoded = false;      // read, synchronised, and saved as the rules want
    std::string error;         // why not
    RecordingDecodeResult recording;
    double passTime = 0.0;     // the time the pictures are named from
    std::optional<StartTimeSource> timeSource;  // unset: given, or the fallback
    std::optional<RecordingStart> start;   // UTC of the first sample and the rule that gave it
    std::string satellite;                 // the satellite decoded for ("" manual)
    std::string satelliteSource;           // what named it when not given ("the file name")
    std::optional<ElementChoice> elements; // the set chosen for the pass, when the satellite is known
    int direction = 0;                     // the pictures' direction: 0 = N>S, 1 = S>N
    bool directionFromOrbit = false;       // told by the orbit, not given
    bool pictured = false;     // picture building ran
    int pictureRows = 0;
    int pictureFirstLine = 0;
    bool titled = false;
    std::vector<std::string> filesWritten;
    std::array<GreyMapping, 2> mapping{GreyMapping::Calibration, GreyMapping::Calibration};
    bool autoLevel = false;    // the level was set by the automatic level, not by hand
    int signalGainDb = 0;      // the hand-set gain otherwise
    std::string noFilesReason; // set when pictures were built but none saved
    std::vector<std::string> notes;  // from PassFileOptions::afterPictures

    bool synchronised() const { return recording.ok && recording.firstSyncLine != kNoSyncLine; }
};

using DecodeProgress = std::function<void(long done, long expected)>;

PassFileReport DecodePassFile(const std::string& path, const PassFileOptions& options,
                              LineStore& store, const TitleDrawer& drawTitle,
                              const DecodeProgress& progress = {});

}  // namespace sorae
