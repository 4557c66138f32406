#include "orbit/replay_pass_rule.h"

namespace sorae {

bool PassInProgress(const PassInfo& next, DayTime now) {
    return !next.satellite.empty() && next.start <= now && now <= next.end;
}

ReplayPassAction DecideReplayPass(const ReplayPassSituation& s) {
    if (!s.passTableValid || !PassInProgress(s.next, s.now)) return ReplayPassAction::None;
    if (s.autoReceptionOn) return ReplayPassAction::Yield;
    return s.askedAboutThisPass ? ReplayPassAction::None : ReplayPassAction::Ask;
}

}  // namespace sorae
