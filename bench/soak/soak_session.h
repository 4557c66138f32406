// A soak run of the whole program: the real main window with its forms,
// fed half-second blocks through the block handler while the program clock
// advances exactly half a second per block. During every pass the scheduler
// has announced, the blocks carry a generated APT signal; otherwise noise.
// It counts what the program did (passes started and ended, pictures and
// sound files, failure reports, texts in status panel 0) and samples the
// resident memory.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sorae::soak {

struct SoakOptions {
    std::string programFolder;           // must exist; SatTle.txt is copied into it
    std::string elementFile;             // the element file to copy
    std::int64_t startUnix = 0;          // simulated UT start, seconds since 1970
    double hours = 24.0;                 // simulated span
    // > 0: after the first pass computation the clock jumps to this many
    // seconds before the first pass (for short runs around one pass).
    int leadBeforeFirstPass = 0;
    int noiseSigma = 300;                // counts, idle blocks
    double passSnrDb = 30.0;
    bool verbose = false;
    // Non-empty: the blocks go into this FIFO, which the sound server's pipe
    // source (the default recording device) reads, and reach the program
    // through its own capture instead of a direct handleBlock call.
    std::string pipePath;
};

struct RssSample {
    std::string when;
    long kilobytes = 0;
};

struct SoakResult {
    bool setupOk = false;
    std::string setupError;
    long blocks = 0;
    long signalBlocks = 0;
    double simulatedHours = 0.0;
    double wallSeconds = 0.0;
    double waitSeconds = 0.0;            // waiting for pass computations and pictures
    int passesAnnounced = 0;             // distinct passes seen in the pass table
    int passesStarted = 0;               // reception went active
    int passesEnded = 0;                 // reception went inactive
    bool activeAtEnd = false;            // the span ended inside a pass
    int passesWithoutLines = 0;          // ended with fewer than 100 decoded lines
    // Blocks after which the program clock read a second more than intended:
    // the offset is whole seconds against the system clock, which may tick on
    // between setting it and the program's reading.
    long clockSlips = 0;
    long capturedBlocks = 0;             // pipe mode: blocks the capture delivered
    int picturesBuilt = 0;               // picturesBuilt signals
    int picturesA = 0, picturesB = 0, soundFiles = 0;  // files in the picture folder
    int passComputations = 0, failedComputations = 0;
    std::vector<std::string> failures;   // failure boxes
    std::vector<std::string> questions;  // question boxes (answered no)
    std::vector<std::string> panel0;     // distinct texts of status panel 0, with their time
    std::vector<std::string> passLog;    // one line per pass started / ended
    std::vector<RssSample> rss;
    long peakRssKb = 0;
};

// Resident set size of this process (VmRSS), kB; -1 when unreadable.
long residentKilobytes();

// Runs the soak; needs a QApplication.
SoakResult runSoak(const SoakOptions& options);

// The summary table.
std::string formatSummary(const SoakOptions& options, const SoakResult& result);

}  // namespace sorae::soak
