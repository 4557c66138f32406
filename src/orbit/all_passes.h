// Every pass of the selected satellites over the next days, found by the
// same second-by-second search as the pass table, with the look angles at
// acquisition, culmination and loss, and the table's verdict on each: will
// the scheduler receive it, and if not, why not.
#pragma once

#include "orbit/day_time.h"
#include "orbit/orbital_elements.h"
#include "orbit/pass_computation.h"
#include "orbit/pass_table.h"

#include <string>
#include <vector>

namespace sorae {

// How the pass table treats a pass.
enum class PassChoice {
    Received,      // in the table: received automatically
    SetAside,      // in the table, but the overlap rule gave its time to another pass
    BelowMaxElev,  // culminates below Sat/MaxElev: never taken into the table
    BeyondTable,   // in the coming 24 hours, but after the satellite's two passes of the table
    BeyondDay,     // ends after the table's 24 hours
    Undecided,     // no table to compare with
};

struct ListedPass {
    std::string satellite;
    double frequencyMHz = 0.0;
    DayTime start, culmination, end;  // station time; culmination = time of maximum
    double startAzimuthDeg = 0.0;
    double culminationAzimuthDeg = 0.0;
    double endAzimuthDeg = 0.0;
    double maximumElevationDeg = 0.0;
    unsigned char direction = 0;  // 1 = south to north
    int setIndex = 0;             // into PassList::elements
    PassChoice choice = PassChoice::Undecided;
    int tableSlot = -1;           // the table slot holding it, when in the table
    std::string givenWayTo;       // SetAside: the satellite received instead
};

struct PassList {
    bool ok = false;  // false: element file missing or unreadable
    int satelliteCount = 0;
    DayTime windowStart, windowEnd;  // station time
    std::vector<ListedPass> passes;  // by start time
    // The prepared sets the passes were computed from, for their tracks.
    std::vector<OrbitalElements> elements;
};

inline constexpr int kMaxListDays = 31;

// The passes of `days` days (1 .. kMaxListDays) from request.now with the
// station, detection elevation and selection of the request; every pass
// that reaches the detection elevation is listed, also those below
// Sat/MaxElev. A pass under way at request.now is listed whole, with its
// own acquisition, culmination and loss. The choices stay Undecided.
PassList ListAllPasses(const PassRequest& request, int days);

// The table's verdict on each pass. `table`, `satelliteCount` and
// `skippedPassEnd` are the result of a pass computation from `tableNow`
// (a computation's result keeps what its overlap rule set aside).
struct TableChoice {
    const PassTable* table = nullptr;
    int satelliteCount = 0;
    DayTime skippedPassEnd = kNoSkippedPass;
    DayTime tableWindowEnd;  // station time 24 hours after the table's computation
    double maxElevDeg = 3.0;
};
void MarkTableChoice(PassList& list, const TableChoice& choice);

// A list of `days` days, marked with a table computed from the same request.
PassList ListPassesWithTableChoice(const PassRequest& request, int days);

// "自動受信", "重複 (NOAA-18 を優先)", "最大仰角 3.0° 未満", ...
std::string PassChoiceText(const ListedPass& pass, double maxElevDeg);

}  // namespace sorae
