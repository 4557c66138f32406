// sorae-soak: runs the whole program for many simulated hours, much faster
// than real time, and prints what it did. See soak_session.h.
//
//   sorae-soak [--hours H] [--start 2019-01-23T23:30:00] [--lead-before-first-pass S]
//              [--elements FILE] [--data-dir DIR] [--pipe FIFO] [--verbose] [--check]
//
// --pipe FIFO sends the blocks through the sound server instead (the FIFO
// of a pipe source that is the default recording device; see pipe-soak.sh).
//
// --check makes the exit status tell whether the run was clean: every pass
// that started has ended (but one still running when the span ends), with
// at least 100 decoded lines and both pictures and its sound saved; nothing
// was reported as a failure; and the resident memory at the end is within
// 64 MB of the memory after the first pass.
#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/program_clock.h"
#include "soak/soak_session.h"

using namespace sorae::soak;

namespace {

bool parseStart(const char* text, std::int64_t& unixSeconds) {
    int y, mo, d, h, mi, s;
    if (std::sscanf(text, "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return false;
    // Days from civil (proleptic Gregorian), 1970-01-01 = 0.
    y -= mo <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = era * 146097 + doe - 719468;
    unixSeconds = std::int64_t(days) * 86400 + h * 3600 + mi * 60 + s;
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: sorae-soak [--hours H] [--start YYYY-MM-DDTHH:MM:SS] [--lead-before-first-pass S]\n"
                 "                  [--elements FILE] [--data-dir DIR] [--pipe FIFO] [--verbose] [--check]\n");
    return 2;
}

bool clean(const SoakResult& r) {
    if (!r.setupOk || r.passesStarted == 0) return false;
    if (r.passesEnded + (r.activeAtEnd ? 1 : 0) != r.passesStarted) return false;
    if (r.picturesA != r.passesEnded || r.picturesB != r.passesEnded || r.soundFiles != r.passesEnded) return false;
    if (!r.failures.empty() || r.passesWithoutLines > 0) return false;
    long afterFirst = -1, end = -1;
    for (const RssSample& s : r.rss) {
        if (s.when == "after the first pass") afterFirst = s.kilobytes;
        if (s.when == "end") end = s.kilobytes;
    }
    return afterFirst > 0 && end > 0 && end - afterFirst < 64 * 1024;
}

}  // namespace

int main(int argc, char** argv) {
    SoakOptions options;
    options.elementFile = std::string(SORAE_SOAK_ELEMENTS);
    parseStart("2019-01-23T23:30:00", options.startUnix);
    std::string dataDir;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--hours" && hasValue) {
            options.hours = std::atof(argv[++i]);
        } else if (a == "--start" && hasValue) {
            if (!parseStart(argv[++i], options.startUnix)) return usage();
        } else if (a == "--lead-before-first-pass" && hasValue) {
            options.leadBeforeFirstPass = std::atoi(argv[++i]);
        } else if (a == "--elements" && hasValue) {
            options.elementFile = argv[++i];
        } else if (a == "--data-dir" && hasValue) {
            dataDir = argv[++i];
        } else if (a == "--pipe" && hasValue) {
            options.pipePath = argv[++i];
        } else if (a == "--verbose") {
            options.verbose = true;
        } else if (a == "--check") {
            check = true;
        } else {
            return usage();
        }
    }
    if (!(options.hours > 0.0)) return usage();

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    if (dataDir.empty()) {
        if (!temporary.isValid()) {
            std::fprintf(stderr, "sorae-soak: no temporary folder\n");
            return 1;
        }
        dataDir = temporary.path().toStdString();
    }
    options.programFolder = dataDir;

    const SoakResult result = runSoak(options);
    std::fputs(formatSummary(options, result).c_str(), stdout);
    if (!result.setupOk) return 1;
    if (check && !clean(result)) {
        std::fputs("sorae-soak: the run was not clean\n", stdout);
        return 1;
    }
    return 0;
}
