#include "geo/alignment_report.h"

#include <cstdio>

namespace sorae {

std::string AlignmentReport(const AlignmentResult& aligned) {
    if (!aligned.applied) return aligned.text;
    // the alignment's text may name the roll already
    if (aligned.text.find("roll") != std::string::npos) return aligned.text;
    char roll[48];
    std::snprintf(roll, sizeof roll, "; roll corrected by %+.2f deg", aligned.rollDeg);
    return aligned.text + roll;
}

}  // namespace sorae
