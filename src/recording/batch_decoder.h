// Decodes many recordings at once: a pool of worker threads takes the files
// in turn, each worker with a line store of its own (so memory grows with
// the number of jobs, not of files). Everything the caller is told -- a file
// started, its progress, its report -- comes on the caller's thread, one
// event at a time, so whatever it prints is never interleaved.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "apt/line_store.h"
#include "recording/pass_file_decoder.h"

namespace sorae {

// Decodes one file into the worker's store; `progress` may be called often.
using BatchJob = std::function<PassFileReport(const std::string& path, LineStore& store,
                                              const DecodeProgress& progress)>;

struct BatchEvents {
    std::function<void(std::size_t file)> started;
    std::function<void(std::size_t file, int percent)> progress;  // when the percentage moves
    std::function<void(std::size_t file, const PassFileReport& report)> finished;
};

// Runs `job` over `files` on min(jobs, files) threads and returns the reports
// in the order of `files`. A job that throws is reported as failed; the
// others go on.
std::vector<PassFileReport> RunBatch(const std::vector<std::string>& files, int jobs,
                                     const BatchJob& job, const BatchEvents& events = {});

}  // namespace sorae
