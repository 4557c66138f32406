// Finds where a damaged FLAC file can be read again: the first intact frame
// after a given sample. Each FLAC frame starts with a header that carries a
// sync code, its own number (or first sample) and a CRC-8, so a frame can be
// recognised anywhere in the file; a candidate counts only when the next
// frame header follows it with the next number, which rules out chance
// matches inside compressed data or garbage. (Frame header layout as the
// published FLAC format document, xiph.org, describes it.)
#pragma once

#include <optional>
#include <string>

namespace sorae {

// The first sample of the first intact frame that starts after `afterSample`;
// nothing when the file holds none (damage up to its end) or is no FLAC file.
std::optional<long long> NextIntactFlacFrame(const std::string& path, long long afterSample);

}  // namespace sorae
