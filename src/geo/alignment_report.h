// What the coast alignment of a pass did, in one line for the user: the
// alignment's own words, with the roll it found beside the time when the
// fit was used.
#pragma once

#include <string>

#include "geo/coast_alignment.h"

namespace sorae {

std::string AlignmentReport(const AlignmentResult& aligned);

}  // namespace sorae
