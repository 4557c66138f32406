// The pass search of the coming 24 hours for the satellites selected for
// reception: reads the element file, steps every selected satellite through
// the day second by second, and orders the resulting pass table.
//
// It never reads the clock or touches the screen: "now" comes in, the table,
// the status texts and the decisions for the caller come out. The caller
// keeps the busy flag and does not call it while a pass is being received;
// it shows progressTexts and nextPassText in status panel 1, acts on
// DecideOldElements and redraws the globe when globeRedrawNeeded.
#pragma once

#include "orbit/day_time.h"
#include "orbit/pass_step_detector.h"
#include "orbit/pass_table.h"
#include "orbit/satellite_search.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sorae {

// The selectable satellites, in the order of the reception checkboxes.
inline constexpr std::array<const char*, 8> kSelectableSatellites = {
    "NOAA-11", "NOAA-12", "NOAA-14", "NOAA-15", "NOAA-16", "NOAA-17", "NOAA-18", "NOAA-19"};

ReceptionList MakeReceptionList(const std::array<bool, 8>& selected);

struct PassSettings {
    double minElevDeg = 1.0;  // detection elevation
    double maxElevDeg = 3.0;  // lowest culmination of a pass that counts
    bool sortElev = true;
    bool sortNext = false;
    int updateDays = 14;      // element age limit
    double stationLatDeg = 35.6894875;
    double stationLonDeg = 139.6917064;
};

struct PassRequest {
    std::string elementFilePath;
    ReceptionList receptionList;
    PassSettings settings;
    UtcInstant now;
    // Set when the map shows the globe: its centre longitude in degrees.
    std::optional<double> globeCentreLongitudeDeg;
    // Leave out seconds in which no satellite can reach the detection
    // elevation. The table is the same either way; only the time differs.
    bool skipUnreachableSeconds = true;
    // Called with each progress text as the search reaches a satellite
    // (on the thread that computes).
    std::function<void(const std::string& text)> progress;
};

// What survives from one computation to the next: the table (never cleared),
// the end of the pass set aside by the overlap rule, and the search state the
// detector carries over.
struct PassMemory {
    PassTable table{};
    int satelliteCount = 0;
    DayTime skippedPassEnd = kNoSkippedPass;
    PassStepDetector detector;
};

struct PassComputation {
    bool ok = false;             // false: element file missing or unreadable
    PassTable table{};
    int satelliteCount = 0;      // slots 0 .. 2n-1 are meaningful
    bool elementsOld = false;    // some selected set is UpdateDay days or more from now
    // Days from the newest epoch of the sets used to now; none without sets.
    std::optional<double> elementAgeDays;
    std::vector<std::string> progressTexts;  // "衛星通過データを計算中 N%", one per satellite
    std::string nextPassText;    // "次回通過: ..."
    bool globeRedrawNeeded = false;
};

PassComputation ComputePasses(const PassRequest& request, PassMemory& memory);
// A computation with nothing remembered from earlier ones.
PassComputation ComputePasses(const PassRequest& request);

// "軌道要素 3日前", or, past the age limit, the warning
// "警告: 軌道要素が古すぎます (2555日前, 期限14日)".
std::string ElementAgeText(double ageDays, int limitDays);
// The same in the few characters left beside the next-pass line: "要素3.0日",
// "要素-0.6日" for an epoch still ahead, whole days from 100 on ("要素2555日").
std::string ElementAgeShortText(double ageDays);
bool ElementAgeOverLimit(double ageDays, int limitDays);

// What to do about old elements after a computation.
enum class OldElementsAction {
    None,
    AskToDownload,         // at start-up: beep and ask kAskDownloadText
    DownloadAndRecompute,  // later, with automatic update on
    ShowNotNew,            // show kElementsNotNewText in status panel 0
};
// startupCountdown: -1 for the computation at start-up, -2 for later ones.
OldElementsAction DecideOldElements(bool elementsOld, int startupCountdown, bool autoUpdate);

inline constexpr const char* kAskDownloadText =
    "衛星軌道要素データが新しくありません。ダウンロードしますか？";
inline constexpr const char* kElementsNotNewText = "衛星軌道要素データが新しくありません";
inline constexpr const char* kComputingPassesText = "衛星通過データを計算中 ";
inline constexpr const char* kElementsUnreadableText = "軌道要素ファイルを読めないため通過を計算できません";
inline constexpr const char* kNoSelectedElementsText = "選択した衛星の軌道要素がありません";

}  // namespace sorae
