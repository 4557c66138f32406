// The line panel 0 keeps after a pass: which files were saved, or why none
// were, and where the rule that decided it is changed.
#pragma once

#include <string>

#include "imaging/pass_pictures.h"

namespace sorae {

// `rules` are the rules the pictures were built with. File names are given
// without their folder.
std::string PassOutcomeText(const PassPictureResult& result, const PictureRules& rules);

}  // namespace sorae
