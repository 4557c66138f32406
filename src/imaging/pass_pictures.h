// Turns the decoded lines of a pass into the two finished channel pictures:
// the span to use, north-up orientation, calibration to grey levels (or,
// when the telemetry gave no calibration, a contrast stretch), the
// title, the file stamp and names, and the JPEG files. Everything comes in
// as arguments; drawing the title text is handed to the caller's drawer
// (it needs a font renderer), and progress texts go to a callback.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "imaging/picture_buffer.h"
#include "settings/app_settings.h"

namespace sorae {

// The [Pic] settings that govern picture building.
struct PictureRules {
    int minScanLine = 360;  // Pic/MinScanLine: no title, no file at or below this height
    bool picCut = true;     // Pic/PicCut: only the synchronised span
    bool addText = true;    // Pic/AddText: draw the title
    bool picSave = true;    // Pic/PicSave: write the JPEG files
};

inline PictureRules PictureRulesFrom(const AppSettings& settings) {
    return PictureRules{settings.minScanLine, settings.picCut, settings.addText, settings.picSave};
}

// The pass the pictures belong to (the first record of the current pass).
struct PassDescription {
    std::string satelliteName;       // "NOAA-18", "NOAA-9"
    double frequencyMHz = 0.0;
    int direction = 0;               // 1 = S>N
    double maxElevationDeg = 0.0;
    double maxElevationTime = 0.0;   // day count, station time
};

struct PassPictureInputs {
    const LineStore* store = nullptr;
    int direction = 0;  // CurrentPassDirection: 1 turns the pictures through 180 degrees
    PictureRules rules;
    std::string sensorNameA = "Senser Type";
    std::string sensorNameB = "Senser Type";
    // The telemetry's calibration. Without one each channel is stretched by
    // its own histogram instead. Unset, gain 1 and offset 0 (the telemetry's
    // state before any wedge was recognised) count as none.
    double calibrationGain = 1.0;
    double calibrationOffset = 0.0;
    std::optional<bool> calibrated;
    PassDescription pass;
    bool manual = false;              // ManualReception
    double processingTime = 0.0;      // day count of "now"; the stamp of a manual reception
    std::string picsFolder;           // created when missing
    // Recordings decoded together may come to the same name (the same
    // minute): when set, asked once with the folder and name stem (stamp
    // and satellite part) before saving, it answers which pass of that name
    // this is (1, 2, ...), so that none takes another's files. Files already
    // in the folder are never replaced either way: the pair takes the first
    // free number from there on.
    std::function<int(const std::string& folder, const std::string& stem)> claimName;
};

// How a channel's levels were turned into grey.
enum class GreyMapping { Calibration, Stretch };
const char* GreyMappingName(GreyMapping mapping);  // "calibration", "stretch"

struct PassPictureResult {
    bool built = false;       // false: nothing was ever synchronised, no pictures made
    int firstLine = 0;        // first store line used
    int rows = 0;             // N
    int direction = 0;        // how the rows were laid: 0 = N>S as received, 1 = S>N turned
    std::array<GreyMapping, 2> mapping{GreyMapping::Calibration, GreyMapping::Calibration};
    std::array<double, 2> gain{1.0, 1.0};      // the gain and offset each channel was filled with
    std::array<double, 2> offset{0.0, 0.0};
    PictureBuffer pictureA;
    PictureBuffer pictureB;
    bool titled = false;
    std::string fileStamp;    // set when the pictures were large enough to keep
    std::string satellitePart;
    std::string satelliteName;  // the pass's satellite ("NOAA-19"); empty for a manual reception
    int occurrence = 1;       // the pair's number among passes of the same name (1: none)
    std::vector<std::string> filesWritten;
    std::vector<std::string> errors;  // one text per file that could not be written
    bool refreshBrowser = false;      // a pair was saved: the past-picture list is stale
    // height the display uses: picture A's, or B's when A has none
    int displayHeight() const { return pictureA.height > 0 ? pictureA.height : pictureB.height; }
};

// Status texts for panel 0, in order of appearance.
using ProgressCallback = std::function<void(const std::string& text)>;
// Draws the satellite name and the title line onto one picture.
using TitleDrawer = std::function<void(PictureBuffer& picture, const std::string& satelliteName,
                                       const std::string& titleLine)>;

PassPictureResult BuildPassPictures(const PassPictureInputs& in, const ProgressCallback& progress,
                                    const TitleDrawer& drawTitle);

// Fills one channel picture of N rows from the store (no titles, no files).
void FillChannelPicture(const LineStore& store, int channel, int firstLine, int rows,
                        int direction, double gain, double offset, PictureBuffer& picture,
                        const std::function<void(int row)>& beforeRow = {});

// The picture part of the reset before a pass: both pictures black,
// 1040 wide and as high as the image area.
void ResetPassPictures(PictureBuffer& pictureA, PictureBuffer& pictureB, int areaHeight);

}  // namespace sorae
