// Sound lost from a recording: a recorder that fell behind and dropped
// samples, a recording paused and resumed, two files joined. Each decoded
// line is timed from the sample position of its sync, so every line after
// such a gap comes out early by what was lost, and the pass would be
// placed on the map seconds (tens of kilometres) off from there on.
//
// The satellite sends a line every half second of its own clock, so a gap
// shows as a jump of the lines' sync against that steady beat: the part of
// a half-second the recording lost. The whole half-seconds lost besides
// are told by the telemetry frame, which repeats every 128 lines (64 s),
// and the minute markers, every 120 lines: where its black wedge 9 follows
// the white wedge 8, and where a marker's black lines fall, on either side
// of the gap say how many lines fell out, up to 16 minutes with both, up to
// a minute with one of them. Where a side holds neither, the gap is taken
// as the least the jump allows and reported as such.
#pragma once

#include <string>
#include <vector>

#include "apt/line_store.h"

namespace sorae {

struct RecordingGap {
    int line = 0;             // the first stored line after it
    double lostSeconds = 0;   // of the pass, lost from the recording there
    bool whole = false;       // the frames or markers on both sides told the whole of it
};

// The gaps in the lines of `store` (its line times as decoded); the
// lines after each are then timed with what was lost added.
std::vector<RecordingGap> FindRecordingGaps(const LineStore& store);
void TimeLinesAcrossGaps(LineStore& store, const std::vector<RecordingGap>& gaps);
// What the gaps before `line` lost, in all.
double SecondsLostBefore(const std::vector<RecordingGap>& gaps, int line);

// "lost from the recording: 3.3 s before line 481 (...)", one line per gap.
std::string RecordingGapsText(const std::vector<RecordingGap>& gaps);

}  // namespace sorae
