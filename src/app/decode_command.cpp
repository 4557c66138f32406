// `sorae-apt decode`: a recording through the same chain as the sound card,
// into the two channel pictures of the pass, titled and saved by the
// settings file's picture rules.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

#include "app/command_line.h"
#include "app/program_folder.h"
#include "recording/recording_decoder.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"
#include "imaging/qt/picture_image.h"
#include "orbit/pass_table.h"
#include "settings/settings_file.h"

namespace sorae {

namespace {

const char* kDecodeHelp =
    "Usage: sorae-apt decode RECORDING [options]\n"
    "\n"
    "Decodes an APT recording (WAV, FLAC, OGG, ...; mono or stereo; any sample\n"
    "rate) through the same chain as live reception and writes the two channel\n"
    "pictures as JPEG files, following the picture rules of the settings file\n"
    "(Pic/PicCut, Pic/AddText, Pic/MinScanLine, Pic/PicSave).\n"
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
    "                        title and the file names (default: now)\n"
    "  --iq                  the recording is 96 kHz stereo I/Q (I left, Q right)\n"
    "  --auto-level          scale the signal to the design level by itself\n"
    "                        (the default)\n"
    "  --no-auto-level       leave the level as recorded (gain 0 dB)\n"
    "  --gain DB             input gain as the input dialog sets it, -20..20\n"
    "                        (-20 is +20 dB); switches the automatic level off\n"
    "  --min-lines N         fewest picture rows worth a title and files\n"
    "                        (more than N; default Pic/MinScanLine)\n"
    "  --out DIR             write the pictures into DIR (default: DATA/pics)\n"
    "  --data-dir DIR        program folder with the settings file\n"
    "  --help                show this help\n";

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

std::optional<double> parseNumber(const char* text) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0') return std::nullopt;
    return v;
}

struct DecodeArguments {
    std::string recording;
    int direction = 0;
    std::optional<std::string> satellite;
    std::optional<double> frequencyMHz;
    double maxElevationDeg = 0.0;
    std::optional<double> time;
    bool quadrature = false;
    int gainDb = 0;
    bool autoLevel = true;
    std::optional<int> minLines;
    std::optional<std::string> outDir;
    std::optional<std::string> dataDir;
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
            a.quadrature = true;
        } else if (arg == "--auto-level" || arg == "--no-auto-level") {
            a.autoLevel = arg == "--auto-level";
            if (a.autoLevel) a.gainDb = 0;
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
        } else if (arg == "--direction") {
            const char* v = value("--direction");
            if (!v) return 2;
            if (std::strcmp(v, "N>S") == 0) a.direction = 0;
            else if (std::strcmp(v, "S>N") == 0) a.direction = 1;
            else {
                std::fprintf(stderr, "sorae-apt decode: --direction is N>S or S>N, not %s\n", v);
                return 2;
            }
        } else if (arg == "--satellite") {
            const char* v = value("--satellite");
            if (!v) return 2;
            a.satellite = v;
        } else if (arg == "--frequency" || arg == "--max-elevation" || arg == "--gain") {
            const char* v = value(arg.c_str());
            if (!v) return 2;
            const auto number = parseNumber(v);
            if (!number) {
                std::fprintf(stderr, "sorae-apt decode: %s takes a number, not %s\n", arg.c_str(), v);
                return 2;
            }
            if (arg == "--frequency") a.frequencyMHz = *number;
            else if (arg == "--max-elevation") a.maxElevationDeg = *number;
            else if (*number < -20 || *number > 20) {
                std::fprintf(stderr, "sorae-apt decode: --gain lies in -20..20\n");
                return 2;
            } else {
                a.gainDb = int(*number);
                a.autoLevel = false;
            }
        } else if (arg == "--time") {
            const char* v = value("--time");
            if (!v) return 2;
            a.time = parseStamp(v);
            if (!a.time) {
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
        } else if (a.recording.empty()) {
            a.recording = arg;
        } else {
            std::fprintf(stderr, "sorae-apt decode: one recording at a time (%s)\n", arg.c_str());
            return 2;
        }
    }
    if (a.recording.empty()) {
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

}  // namespace

int runDecodeCommand(int argc, char** argv) {
    DecodeArguments args;
    if (const auto status = parseArguments(argc, argv, args)) return *status;

    std::string error;
    const auto folder = resolveProgramFolder(args.dataDir, executablePath(argv), &error);
    if (!folder) {
        std::fprintf(stderr, "sorae-apt decode: %s\n", error.c_str());
        return 1;
    }
    const ProgramPaths paths = programPathsFor(*folder);
    const AppSettings settings = loadSettingsFile(paths.settingsFile);

    // The title is drawn with Qt's fonts; no display is needed for that.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    const bool progressShown = ::isatty(STDERR_FILENO);
    auto store = std::make_unique<LineStore>();
    RecordingDecoder decoder(*store);
    RecordingDecodeOptions options;
    options.path = args.recording;
    options.quadrature = args.quadrature;
    options.signalGainDb = args.gainDb;
    options.autoLevel = args.autoLevel;
    options.direction = args.direction;
    if (progressShown) {
        options.progress = [](long done, long expected) {
            if (done % 20 == 0 && expected > 0)
                std::fprintf(stderr, "\rdecoding %3ld%%", std::min(100L, done * 100 / expected));
        };
    }
    const RecordingDecodeResult decoded = decoder.run(options);
    if (progressShown) std::fprintf(stderr, "\r              \r");
    if (!decoded.ok) {
        std::fprintf(stderr, "sorae-apt decode: %s\n", decoded.error.c_str());
        return 1;
    }

    std::printf("recording: %s\n", args.recording.c_str());
    std::printf("blocks read: %ld (%.1f s)\n", decoded.blocks, decoded.blocks * 0.5);
    if (args.autoLevel)
        std::printf("level: automatic, %.1f dB\n", decoded.appliedLevelDb);
    else
        std::printf("level: fixed gain %d dB\n", -args.gainDb);
    std::printf("lines stored: %d%s\n", decoded.linesStored,
                decoded.storeFull ? " (the store is full: the rest was not decoded)" : "");
    if (decoded.firstSyncLine == kNoSyncLine) {
        std::fprintf(stderr,
                     "sorae-apt decode: no line was synchronised; is this an APT recording%s?\n",
                     args.quadrature ? "" : " (use --iq for 96 kHz I/Q)");
        return 1;
    }
    std::printf("synchronised: lines %d to %d (%d blocks locked)\n", std::max(0, decoded.firstSyncLine),
                decoded.lastSyncLine, decoded.syncedBlocks);
    std::printf("sensor A: %s\nsensor B: %s\n", decoded.sensorNameA.c_str(),
                decoded.sensorNameB.c_str());
    std::printf("calibration: gain %.6f offset %.3f\n", decoded.calibrationGain,
                decoded.calibrationOffset);

    PassPictureInputs in;
    in.store = store.get();
    in.direction = args.direction;
    in.rules.minScanLine = args.minLines.value_or(settings.minScanLine);
    in.rules.picCut = settings.picCut;
    in.rules.addText = settings.addText;
    in.rules.picSave = settings.picSave;
    in.sensorNameA = decoded.sensorNameA;
    in.sensorNameB = decoded.sensorNameB;
    in.calibrationGain = decoded.calibrationGain;
    in.calibrationOffset = decoded.calibrationOffset;
    in.manual = !args.satellite.has_value();
    const double when = args.time.value_or(stationNowDayCount());
    in.processingTime = when;
    if (args.satellite) {
        in.pass.satelliteName = *args.satellite;
        in.pass.frequencyMHz = args.frequencyMHz.value_or(SatelliteFrequencyMHz(*args.satellite));
        in.pass.direction = args.direction;
        in.pass.maxElevationDeg = args.maxElevationDeg;
        in.pass.maxElevationTime = when;
    }
    in.picsFolder = args.outDir.value_or(paths.picturesFolder);

    const PassPictureResult pictures = BuildPassPictures(in, {}, MakeTitleDrawer());
    std::printf("picture rows: %d from line %d%s\n", pictures.rows, pictures.firstLine,
                pictures.titled ? " (titled)" : "");
    std::printf("grey levels: A %s, B %s\n", GreyMappingName(pictures.mapping[0]),
                GreyMappingName(pictures.mapping[1]));
    for (const std::string& file : pictures.filesWritten) std::printf("written: %s\n", file.c_str());
    for (const std::string& e : pictures.errors) std::fprintf(stderr, "sorae-apt decode: %s\n", e.c_str());
    if (!pictures.errors.empty()) return 1;
    if (pictures.filesWritten.empty()) {
        if (!settings.picSave)
            std::printf("no files: picture saving is switched off (Pic/PicSave)\n");
        else
            std::printf("no files: %d rows are not more than the minimum of %d (%s)\n",
                        pictures.rows, in.rules.minScanLine,
                        args.minLines ? "--min-lines" : "Pic/MinScanLine");
    }
    return 0;
}

}  // namespace sorae
