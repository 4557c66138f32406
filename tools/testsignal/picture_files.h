// Greyscale PNG files for the test signal: source pictures in, true
// pictures out.
#pragma once

#include <optional>
#include <string>

#include "testsignal/grey_picture.h"

namespace sorae::testsignal {

struct PictureLoad {
    std::optional<GreyPicture> picture;
    std::string error;  // names the file and the reason when picture is empty
};

// Loads any picture Qt reads as 8-bit grey. A picture that is not 909
// pixels wide is scaled to 909 columns, keeping its aspect ratio.
PictureLoad loadSourcePicture(const std::string& path);

// Saves an 8-bit greyscale PNG; returns an error text, empty on success.
std::string saveGreyPng(const GreyPicture& picture, const std::string& path);

}  // namespace sorae::testsignal
