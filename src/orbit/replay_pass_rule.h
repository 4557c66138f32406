// Who goes first when a pass of the table comes due while a recording is
// being replayed through the window: the two never run at once. With
// automatic reception on the station is receiving by itself and the replay
// gives way at once; with it off the user is asked once per pass whether to
// stop the replay and receive the pass, and the pass waits for the answer.
#pragma once

#include "orbit/pass_table.h"

namespace sorae {

enum class ReplayPassAction {
    None,   // nothing due, or already decided: the replay goes on
    Ask,    // ask the user; the pass is held until the answer
    Yield,  // stop the replay (pictures of what it received) and let the pass start
};

struct ReplayPassSituation {
    bool passTableValid = false;
    PassInfo next;                 // slot 0 of the pass table
    DayTime now;                   // station time
    bool autoReceptionOn = false;  // SpeedButton1 down
    // The user has been asked about this pass already (answered or not).
    bool askedAboutThisPass = false;
};

// Slot 0 between its start and its end (both included).
bool PassInProgress(const PassInfo& next, DayTime now);

ReplayPassAction DecideReplayPass(const ReplayPassSituation& situation);

}  // namespace sorae
