// Where the benchmarks find the project's data files, from whatever folder
// they are started.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench {

// A file of the source tree. A missing one stops the program with a message:
// a figure measured on no data would look like a fast one.
inline std::string SourceFile(const std::string& relative) {
    const std::string path = std::string(SORAE_SOURCE_DIR) + "/" + relative;
    if (!std::filesystem::exists(path)) {
        std::fprintf(stderr, "benchmark data missing: %s\n", path.c_str());
        std::exit(2);
    }
    return path;
}

// Stops the program when a step that the timing needs did not work.
inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "benchmark set-up failed: %s\n", what);
        std::exit(2);
    }
}

}  // namespace bench
