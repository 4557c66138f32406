// Names for pass recordings that never take the place of another file: a
// recording whose name is taken gets a numbered suffix ("…_2.flac").
#pragma once

#include <string>

namespace sorae {

// path with the suffix "_n" before its extension; n = 1 gives path itself.
std::string numberedPath(const std::string& path, int n);

// Gives the file `from` the name numberedPath(wanted, firstNumber), or the
// first later numbered variant that no file has, without ever replacing a
// file (an existing name is skipped even if it appears between the check
// and the rename). *actual receives the name given. False, with *error,
// when no name could be given; `from` is then unchanged.
bool moveWithoutReplacing(const std::string& from, const std::string& wanted, std::string* actual,
                          std::string* error, int firstNumber = 1);

}  // namespace sorae
