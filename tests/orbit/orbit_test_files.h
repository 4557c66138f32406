// Small helpers for the orbit tests: element files written to a temporary place.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "common/scratch_folder.h"

namespace sorae::testing {

// The file lives in a folder of this test process, removed when it ends.
inline std::string writeTempFile(const std::string& stem, const std::string& text)
{
    static const testsupport::ScratchFolder folder("sorae-orbit-test-");
    const std::string path = folder.file(stem + ".txt");
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

inline std::string realElementFile()
{
    return std::string(SORAE_TEST_DATA_DIR) + "/noaa_2019-01-24.txt";
}

// NOAA 19 from the real file, with a name line padded to 24 columns.
inline const char* kNoaa19Name = "NOAA 19 [+]             ";
inline const char* kNoaa19Line1 = "1 33591U 09005A   19024.95618551  .00000053  00000-0  53948-4 0  9992";
inline const char* kNoaa19Line2 = "2 33591  99.1678  12.6689 0014882  65.9693 294.3034 14.12330663513212";

inline std::string noaa19Set(const std::string& name = kNoaa19Name)
{
    return name + "\r\n" + kNoaa19Line1 + "\r\n" + kNoaa19Line2 + "\r\n";
}

}  // namespace sorae::testing
