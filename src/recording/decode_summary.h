// The texts of `sorae-apt decode`: the lines about one decoded recording,
// the table that ends a run over several, and the progress board shown on
// a terminal while they are decoded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "recording/pass_file_decoder.h"

namespace sorae {

// What the decode of a single recording prints on standard output.
std::string FormatFileDetails(const PassFileReport& report);

// "2021-07-14 22:01:40 UTC" (hundredths when there are any).
std::string FormatUtc(double unixSeconds);

// One row per file: file, lines synchronised, sensors, calibration, the
// pictures written or why there are none; then a count of the outcomes.
std::string FormatDecodeSummary(const std::vector<PassFileReport>& reports);

// Columns on a terminal: East Asian wide characters take two.
std::size_t DisplayWidth(const std::string& utf8);

// One line per file on a terminal: the files being decoded stay at the
// bottom and are redrawn in place; a finished file's line is left above
// them. Each call returns the text that brings the terminal up to date.
class ProgressBoard {
public:
    explicit ProgressBoard(std::vector<std::string> names);

    std::string started(std::size_t file);
    std::string progress(std::size_t file, int percent);
    // `notes`: whole lines (a warning, an error) to leave under the file's line.
    std::string finished(std::size_t file, bool decoded, const std::string& notes = {});

private:
    std::string redraw(const std::string& settled);

    std::vector<std::string> names_;
    std::vector<int> percent_;
    std::vector<std::size_t> running_;  // in the order they started
    std::size_t drawnLines_ = 0;        // live lines on the screen now
};

}  // namespace sorae
