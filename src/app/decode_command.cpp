// `sorae-apt decode`: recordings through the same chain as the sound card,
// into the two channel pictures of each pass, titled and saved by the
// settings file's picture rules. Here the command line is read and the
// engine's pieces are wired; several recordings go to a pool of jobs.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/command_line.h"
#include "app/program_folder.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"
#include "imaging/qt/picture_image.h"
#include "orbit/day_time.h"
#include "recording/batch_decoder.h"
#include "recording/decode_summary.h"
#include "recording/name_claims.h"
#include "recording/pass_file_decoder.h"
#include "recording/recording_list.h"
#include "settings/settings_file.h"

namespace sorae {

namespace {

const char* kDecodeHelp =
    "Usage: sorae-apt decode RECORDING|FOLDER... [options]\n"
    "\n"
    "Decodes APT recordings (WAV, FLAC, OGG, ...; mono or stereo; any sample\n"
    "rate) through the same chain as live reception and writes the two channel\n"
    "pictures of each as JPEG files, following the picture rules of the settings\n"
    "file (Pic/PicCut, Pic/AddText, Pic/MinScanLine, Pic/PicSave). A folder\n"
    "stands for the recordings in it. Several recordings are decoded at once and\n"
    "end with a table of what became of each.\n"
    "\n"
    "The pictures are named from the time of each recording: a date and time in\n"
    "its file name (taken as UT, e.g. 20190124_093015 or 2019-01-24 09.30.15),\n"
    "else its modification time less its length.\n"
    "\n"
    "Options:\n"
    "  --direction N>S|S>N   direction of the pass (default N>S); S>N pictures\n"
    "                        are turned so that north is up\n"
    "  --satellite NAME      satellite, e.g. NOAA-19; without it the recording is\n"
    "                        treated as a manual reception (files ...MNA.jpg, no title)\n"
    "  --frequency MHZ       downlink frequency for the title (default: the\n"
    "                        satellite's own)\n"
    "  --max-elevation DEG   maximum elevation for the title (default 0)\n"
    "  --time YYYYMMDDHHMM   time of the maximum, station time (UT + 9 h), for the\n"
    "                        title and the file names of a single recording\n"
    "                        (default: the recording's own time)\n"
    "  --iq                  the recording is stereo I/Q (I left, Q right) at\n"
    "                        48 kHz or more\n"
    "  --iq-carrier HZ       where the FM carrier of the I/Q recording lies: -24000\n"
    "                        for a receiver's IF output, 0 for an SDR's baseband\n"
    "                        (default: found from the first seconds)\n"
    "  --iq-swap             the I/Q recording has Q left and I right\n"
    "  --auto-level          scale the signal to the design level by itself\n"
    "                        (the default)\n"
    "  --no-auto-level       leave the level as recorded (gain 0 dB)\n"
    "  --gain DB             input gain as the input dialog sets it, -20..20\n"
    "                        (-20 is +20 dB); switches the automatic level off\n"
    "  --min-lines N         fewest picture rows worth a title and files\n"
    "                        (more than N; default Pic/MinScanLine)\n"
    "  --out DIR             write the pictures into DIR (default: DATA/pics)\n"
    "  --recursive           take the recordings of a folder's subfolders too\n"
    "  --jobs N              decode N recordings at once (default: one per core)\n"
    "  --data-dir DIR        program folder with the settings file\n"
    "  --help                show this help\n"
    "\n"
    "Exit status: 0 when every recording was decoded, 1 when one was not,\n"
    "2 for a wrong command line.\n";

// Now in station time (UT + 9 hours), as a day count.
double stationNowDayCount() {
    using namespace std::chrono;
    const double unixSeconds =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() / 1000.0;
    return unixSeconds / 86400.0 + 25569.0 + 9.0 / 24.0;
}

std::optional<double> parseStamp(const std::string& text) {
    if (text.size() != 12) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(4, 2));
    const int day = std::stoi(text.substr(6, 2));
    const int hour = std::stoi(text.substr(8, 2));
    const int minute = std::stoi(text.substr(10, 2));
    if (!IsCalendarDate(year, month, day) || hour > 23 || minute > 59)
        return std::nullopt;
    return DayCountFromCivil(year, month, day, hour, minute);
}

// "nan" and "inf" are no value any option can take.
std::optional<double> parseNumber(const char* text) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v)) return std::nullopt;
    return v;
}

struct DecodeArguments {
    std::vector<std::string> inputs;   // recordings and folders
    bool recursive = false;
    int jobs = 0;                      // 0: one per core
    std::optional<int> minLines;       // unset: Pic/MinScanLine
    std::optional<std::string> outDir;
    std::optional<std::string> dataDir;
    PassFileOptions file;              // the same for every recording
};

// Returns an exit status when the arguments end the command (help, error).
std::optional<int> parseArguments(int argc, char** argv, DecodeArguments& a) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "sorae-apt decode: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kDecodeHelp, stdout);
            return 0;
        } else if (arg == "--iq") {
            a.file.decode.quadrature = true;
        } else if (arg == "--iq-swap") {
            a.file.decode.iqSwap = true;
        } else if (arg == "--iq-carrier") {
            const char* v = value("--iq-carrier");
            if (!v) return 2;
            a.file.decode.iqCarrierHz = parseNumber(v);
            if (!a.file.decode.iqCarrierHz || !std::isfinite(*a.file.decode.iqCarrierHz)) {
                std::fprintf(stderr, "sorae-apt decode: --iq-carrier takes a frequency in Hz, not %s\n", v);
                return 2;
            }
        } else if (arg == "--auto-level" || arg == "--no-auto-level") {
            a.file.decode.autoLevel = arg == "--auto-level";
            if (a.file.decode.autoLevel) a.file.decode.signalGainDb = 0;
        } else if (arg == "--min-lines") {
            const char* v = value("--min-lines");
            if (!v) return 2;
            const auto number = parseNumber(v);
            if (!number || *number < 0 || *number > kMaxLines || *number != int(*number)) {
                std::fprintf(stderr, "sorae-apt decode: --min-lines takes a whole number 0..%d, not %s\n",
                             kMaxLines, v);
                return 2;
            }
            a.minLines = int(*number);
        } else if (arg == "--recursive") {
            a.recursive = true;
        } else if (arg == "--direction") {
            const char* v = value("--direction");
            if (!v) return 2;
            if (std::strcmp(v, "N>S") == 0) a.file.decode.direction = 0;
            else if (std::strcmp(v, "S>N") == 0) a.file.decode.direction = 1;
            else {
                std::fprintf(stderr, "sorae-apt decode: --direction is N>S or S>N, not %s\n", v);
                return 2;
            }
        } else if (arg == "--satellite") {
            const char* v = value("--satellite");
            if (!v) return 2;
            a.file.satellite = v;
        } else if (arg == "--frequency" || arg == "--max-elevation" || arg == "--gain" ||
                   arg == "--jobs") {
            const char* v = value(arg.c_str());
            if (!v) return 2;
            const auto number = parseNumber(v);
            if (!number) {
                std::fprintf(stderr, "sorae-apt decode: %s takes a number, not %s\n", arg.c_str(), v);
                return 2;
            }
            if (arg == "--frequency") a.file.frequencyMHz = *number;
            else if (arg == "--max-elevation") a.file.maxElevationDeg = *number;
            else if (arg == "--jobs") {
                if (*number < 1 || *number > 256 || *number != std::floor(*number)) {
                    std::fprintf(stderr, "sorae-apt decode: --jobs takes a whole number from 1 to 256\n");
                    return 2;
                }
                a.jobs = int(*number);
            } else if (*number < -20 || *number > 20) {
                std::fprintf(stderr, "sorae-apt decode: --gain lies in -20..20\n");
                return 2;
            } else {
                a.file.decode.signalGainDb = int(*number);
                a.file.decode.autoLevel = false;
            }
        } else if (arg == "--time") {
            const char* v = value("--time");
            if (!v) return 2;
            a.file.passTime = parseStamp(v);
            if (!a.file.passTime) {
                std::fprintf(stderr, "sorae-apt decode: --time takes YYYYMMDDHHMM, not %s\n", v);
                return 2;
            }
        } else if (arg == "--out") {
            const char* v = value("--out");
            if (!v) return 2;
            a.outDir = v;
        } else if (arg == "--data-dir") {
            const char* v = value("--data-dir");
            if (!v) return 2;
            a.dataDir = v;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "sorae-apt decode: unknown option %s (try --help)\n", arg.c_str());
            return 2;
        } else {
            a.inputs.push_back(arg);
        }
    }
    if (a.inputs.empty()) {
        std::fprintf(stderr, "sorae-apt decode: no recording given (try --help)\n");
        return 2;
    }
    return std::nullopt;
}

std::string executablePath(char** argv) {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) return std::string(exe, std::size_t(n));
    return argv[0];
}

// The title is drawn with Qt's fonts. Painting on a QImage of its own is
// allowed on any thread, but the font lookup behind it is shared: one title
// at a time.
TitleDrawer serialisedTitleDrawer() {
    auto mutex = std::make_shared<std::mutex>();
    return [mutex, draw = MakeTitleDrawer()](PictureBuffer& picture, const std::string& satellite,
                                             const std::string& title) {
        std::lock_guard lock(*mutex);
        draw(picture, satellite, title);
    };
}

// The warning and the error of a recording, one line each.
std::string failureText(const PassFileReport& report) {
    std::string text;
    if (!report.recording.warning.empty())
        text += "sorae-apt decode: warning: " + report.recording.warning + "\n";
    if (!report.error.empty()) text += "sorae-apt decode: " + report.error + "\n";
    return text;
}

// One recording: the lines of today's single-file decode, progress on a terminal.
int decodeOne(const std::string& path, const PassFileOptions& options, const TitleDrawer& drawTitle) {
    const bool progressShown = ::isatty(STDERR_FILENO);
    DecodeProgress progress;
    if (progressShown) {
        progress = [](long done, long expected) {
            if (done % 20 == 0 && expected > 0)
                std::fprintf(stderr, "\rdecoding %3ld%%", std::min(100L, done * 100 / expected));
        };
    }
    auto store = std::make_unique<LineStore>();
    const PassFileReport report = DecodePassFile(path, options, *store, drawTitle, progress);
    if (progressShown) std::fprintf(stderr, "\r              \r");
    std::fputs(FormatFileDetails(report).c_str(), stdout);
    std::fflush(stdout);
    std::fputs(failureText(report).c_str(), stderr);
    return report.decoded ? 0 : 1;
}

// Several recordings on a pool of jobs: a progress line per file on a
// terminal, a warning or error line when one ends, the table at the end.
int decodeMany(const std::vector<std::string>& files, int jobs, const PassFileOptions& options,
               const TitleDrawer& drawTitle) {
    const bool progressShown = ::isatty(STDERR_FILENO);
    ProgressBoard board(files);
    auto show = [&](const std::string& text) {
        if (!progressShown) return;
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
    };
    BatchEvents events;
    events.started = [&](std::size_t i) { show(board.started(i)); };
    events.progress = [&](std::size_t i, int percent) { show(board.progress(i, percent)); };
    events.finished = [&](std::size_t i, const PassFileReport& report) {
        if (progressShown)
            show(board.finished(i, report.decoded, failureText(report)));
        else
            std::fputs(failureText(report).c_str(), stderr);
    };
    const BatchJob job = [&](const std::string& path, LineStore& store, const DecodeProgress& progress) {
        return DecodePassFile(path, options, store, drawTitle, progress);
    };
    const std::vector<PassFileReport> reports = RunBatch(files, jobs, job, events);
    std::fputs(FormatDecodeSummary(reports).c_str(), stdout);
    const bool allDecoded =
        std::all_of(reports.begin(), reports.end(), [](const PassFileReport& r) { return r.decoded; });
    return allDecoded ? 0 : 1;
}

}  // namespace

int runDecodeCommand(int argc, char** argv) {
    DecodeArguments args;
    if (const auto status = parseArguments(argc, argv, args)) return *status;

    const RecordingList list = ListRecordings(args.inputs, args.recursive);
    for (const std::string& e : list.errors) std::fprintf(stderr, "sorae-apt decode: %s\n", e.c_str());
    for (const std::string& w : list.warnings) std::fprintf(stderr, "sorae-apt decode: warning: %s\n", w.c_str());
    if (list.files.empty()) {
        std::fprintf(stderr, "sorae-apt decode: no recordings found\n");
        return 1;
    }
    if (args.file.passTime && list.files.size() > 1) {
        std::fprintf(stderr, "sorae-apt decode: --time names one pass, not %zu recordings\n",
                     list.files.size());
        return 2;
    }

    std::string error;
    const auto folder = resolveProgramFolder(args.dataDir, executablePath(argv), &error);
    if (!folder) {
        std::fprintf(stderr, "sorae-apt decode: %s\n", error.c_str());
        return 1;
    }
    const ProgramPaths paths = programPathsFor(*folder);
    const AppSettings settings = loadSettingsFile(paths.settingsFile);
    args.file.rules = PictureRulesFrom(settings);
    if (args.minLines) {
        args.file.rules.minScanLine = *args.minLines;
        args.file.minLinesName = "--min-lines";
    }
    args.file.picsFolder = args.outDir.value_or(paths.picturesFolder);
    args.file.fallbackTime = stationNowDayCount();
    // Two recordings of this run that come to the same minute keep both
    // their pictures: the second pair is numbered.
    NameClaims claims;
    args.file.claimName = [&claims](const std::string& folder, const std::string& stem) {
        return claims.claim(folder + '/' + stem);
    };

    // The title is drawn with Qt's fonts; no display is needed for that.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    const TitleDrawer drawTitle = serialisedTitleDrawer();

    int status = 0;
    if (list.files.size() == 1) {
        status = decodeOne(list.files.front(), args.file, drawTitle);
    } else {
        const int jobs = args.jobs > 0 ? args.jobs : int(std::max(1u, std::thread::hardware_concurrency()));
        status = decodeMany(list.files, jobs, args.file, drawTitle);
    }
    return list.errors.empty() ? status : 1;
}

}  // namespace sorae
