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
#include <functional>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/command_line.h"
#include "app/pass_products_step.h"
#include "calibration/qt/thermal_legend.h"
#include "app/decode_geo_step.h"
#include "app/decoded_pass_overlay.h"
#include "app/map_controller.h"
#include "app/program_folder.h"
#include "geo/pass_products.h"
#include "geo/qt/kml_overlay.h"
#include "imaging/pass_pictures.h"
#include "imaging/picture_naming.h"
#include "imaging/qt/picture_image.h"
#include "orbit/day_time.h"
#include "orbit/satellite_spelling.h"
#include "recording/batch_decoder.h"
#include "recording/decode_summary.h"
#include "recording/name_claims.h"
#include "recording/pass_file_decoder.h"
#include "recording/recording_list.h"
#include "recording/recording_start_time.h"
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
    "The pictures are named from the time of each recording: --start, else a\n"
    "date and time in its file name, else its modification time less its length.\n"
    "File names are read by the conventions of the programs that write them:\n"
    "gqrx_YYYYMMDD_HHMMSS_... (UTC), SDRSharp_YYYYMMDD_HHMMSSZ_... (UTC),\n"
    "HDSDR_YYYYMMDD_HHMMSSZ_... (UTC), SDR++ ..._HH-MM-SS_DD-MM-YYYY (this\n"
    "computer's local time), this program's pass audio YYYYMMDDHHMM19.flac\n"
    "(station time, UT + 9 h; the satellite comes back too), and any other\n"
    "YYYYMMDD HHMM[SS] in the name (UTC). The satellite is also taken from\n"
    "names such as NOAA19, noaa-19 or N19, else from the frequency receiver\n"
    "programs write into them (137100000, 137912500Hz, 137620kHz, 137.1MHz).\n"
    "The output says which rule was used.\n"
    "\n"
    "Options:\n"
    "  --direction N>S|S>N|auto\n"
    "                        direction of the pass (default N>S); S>N pictures\n"
    "                        are turned so that north is up; auto takes it from\n"
    "                        the orbit when the satellite, the start and an\n"
    "                        element set are known (else N>S)\n"
    "  --satellite NAME      satellite, e.g. NOAA-19; without it and without one\n"
    "                        in the file name the recording is treated as a\n"
    "                        manual reception (files ...MNA.jpg, no title)\n"
    "  --frequency MHZ       downlink frequency for the title (default: the\n"
    "                        satellite's own)\n"
    "  --max-elevation DEG   maximum elevation for the title (left out when not given)\n"
    "  --start ISO8601       UTC of the recording's first sample, with its zone:\n"
    "                        2021-07-14T22:01:40Z or 2021-07-15T07:01:40+09:00\n"
    "  --elements FILE       element file to take the satellite's set from (the\n"
    "                        one nearest the pass; default DATA/SatTle.txt)\n"
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
    "  --temperature         also write each infrared channel's brightness\n"
    "                        temperatures as PICTURE-temperature.tif (kelvin)\n"
    "  --products LIST       calibrated products to write beside the pictures,\n"
    "                        comma-separated: temperature, thermal, falsecolour,\n"
    "                        cloudtop, mapcolour (default: the settings' [Products]);\n"
    "                        with any product, what was calibrated is printed\n"
    "  --geo                 also write each channel as a GeoTIFF on a latitude/\n"
    "                        longitude grid (...A.tif, ...B.tif) and the pass as a\n"
    "                        ground overlay for globe viewers (...A.kml with its\n"
    "                        ...A.png); needs the satellite (--satellite or the name),\n"
    "                        the recording's start time and an element set of the\n"
    "                        satellite in SatTle.txt\n"
    "  --polar               with --geo, also a GeoTIFF per channel on the polar\n"
    "                        stereographic grid of the pass's hemisphere (EPSG:3413\n"
    "                        north, EPSG:3031 south): ...A-polar.tif, ...B-polar.tif\n"
    "  --no-align            keep the recording's time as it is instead of fitting\n"
    "                        the picture's coasts to the world outline\n"
    "  --overlay             draw coastlines, borders and a latitude/longitude grid\n"
    "                        onto the saved pictures, in colour (default: the image\n"
    "                        setting Pic/MapOverlay); needs what --geo needs\n"
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
    std::optional<std::string> elementFile;
    // the same for every recording; the title leaves an unknown elevation out
    PassFileOptions file = [] {
        PassFileOptions f;
        f.maxElevationDeg = std::numeric_limits<double>::quiet_NaN();
        return f;
    }();
    std::optional<std::vector<ProductKind>> products;   // unset: the settings' [Products]
    bool temperature = false;
    bool geo = false;                  // --geo: the GeoTIFF products
    bool polar = false;                // --polar: polar stereographic GeoTIFFs too
    bool align = true;                 // --no-align turns the coast fit off
    bool overlay = false;              // --overlay: the map drawn onto the pictures
};

// Calibration and products of a decoded pass; the text tells what became of them.
using ProductsStep = std::function<std::string(const PassFileReport&, const LineStore&)>;

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
        } else if (arg == "--geo") {
            a.geo = true;
        } else if (arg == "--polar") {
            a.geo = true;
            a.polar = true;
        } else if (arg == "--no-align") {
            a.align = false;
        } else if (arg == "--overlay") {
            a.overlay = true;
        } else if (arg == "--recursive") {
            a.recursive = true;
        } else if (arg == "--direction") {
            const char* v = value("--direction");
            if (!v) return 2;
            a.file.directionFromOrbit = std::strcmp(v, "auto") == 0;
            if (std::strcmp(v, "N>S") == 0) a.file.decode.direction = 0;
            else if (std::strcmp(v, "S>N") == 0) a.file.decode.direction = 1;
            else if (!a.file.directionFromOrbit) {
                std::fprintf(stderr, "sorae-apt decode: --direction is N>S, S>N or auto, not %s\n", v);
                return 2;
            }
        } else if (arg == "--satellite") {
            const char* v = value("--satellite");
            if (!v) return 2;
            a.file.satellite = SatelliteAsNamed(v);
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
        } else if (arg == "--temperature") {
            a.temperature = true;
        } else if (arg == "--products") {
            const char* v = value("--products");
            if (!v) return 2;
            std::string problem;
            a.products = ProductListFromText(v, &problem);
            if (!a.products) {
                std::fprintf(stderr, "sorae-apt decode: --products: %s (known: temperature, thermal, "
                                     "falsecolour, cloudtop, mapcolour)\n", problem.c_str());
                return 2;
            }
        } else if (arg == "--start") {
            const char* v = value("--start");
            if (!v) return 2;
            std::string error;
            a.file.startUnixSeconds = ParseIsoStartTime(v, &error);
            if (!a.file.startUnixSeconds) {
                std::fprintf(stderr, "sorae-apt decode: --start: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--elements") {
            const char* v = value("--elements");
            if (!v) return 2;
            struct stat info {};
            if (::stat(v, &info) != 0 || !S_ISREG(info.st_mode)) {
                std::fprintf(stderr, "sorae-apt decode: --elements %s is not a file that can be read\n", v);
                return 2;
            }
            a.elementFile = v;
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
TitleDrawer serialisedTitleDrawer(const std::shared_ptr<std::mutex>& mutex) {
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
    for (const std::string& note : report.notes) text += "sorae-apt decode: " + note + "\n";
    return text;
}

// Where the start of a recording of a batch came from, one line.
std::string startText(const PassFileReport& report) {
    if (!report.start) return {};
    const auto slash = report.path.find_last_of('/');
    return "sorae-apt decode: " + report.path.substr(slash == std::string::npos ? 0 : slash + 1) + ": start " +
           FormatUtc(report.start->unixSeconds) + " (" + report.start->source + ")\n";
}

// One recording: the lines of today's single-file decode, progress on a terminal.
int decodeOne(const std::string& path, const PassFileOptions& options, const TitleDrawer& drawTitle,
              const ProductsStep& products) {
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
    if (products) std::fputs(products(report, *store).c_str(), stdout);
    std::fflush(stdout);
    std::fputs(failureText(report).c_str(), stderr);
    return report.decoded ? 0 : 1;
}

// Several recordings on a pool of jobs: a progress line per file on a
// terminal, a warning or error line when one ends, the table at the end.
int decodeMany(const std::vector<std::string>& files, int jobs, const PassFileOptions& options,
               const TitleDrawer& drawTitle, const ProductsStep& products) {
    std::mutex productsMutex;
    std::vector<std::pair<std::string, std::string>> productTexts;   // per recording
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
            show(board.finished(i, report.decoded, startText(report) + failureText(report)));
        else
            std::fputs((startText(report) + failureText(report)).c_str(), stderr);
    };
    const BatchJob job = [&](const std::string& path, LineStore& store, const DecodeProgress& progress) {
        PassFileReport report = DecodePassFile(path, options, store, drawTitle, progress);
        if (products) {
            std::string text = products(report, store);
            std::lock_guard lock(productsMutex);
            productTexts.emplace_back(path, std::move(text));
        }
        return report;
    };
    const std::vector<PassFileReport> reports = RunBatch(files, jobs, job, events);
    std::fputs(FormatDecodeSummary(reports).c_str(), stdout);
    std::sort(productTexts.begin(), productTexts.end());
    for (const auto& [path, text] : productTexts) std::fputs((path + ":\n" + text).c_str(), stdout);
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
    if (args.file.startUnixSeconds && list.files.size() > 1) {
        std::fprintf(stderr, "sorae-apt decode: --start names one recording, not %zu\n", list.files.size());
        return 2;
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
    args.file.elementFile = args.elementFile.value_or(paths.elementFile);
    // Two recordings of this run that come to the same minute keep both
    // their pictures: the second pair is numbered.
    NameClaims claims;
    args.file.claimName = [&claims](const std::string& folder, const std::string& stem) {
        return claims.claim(folder + '/' + stem);
    };

    std::vector<ProductKind> kinds = args.products.value_or(ProductsChosen(settings));
    if (args.temperature && std::find(kinds.begin(), kinds.end(), ProductKind::Temperature) == kinds.end())
        kinds.insert(kinds.begin(), ProductKind::Temperature);

    // The map steps after the pictures: GeoTIFFs, the overlay, and the
    // pass's place for the products that need it.
    DecodeGeoChoices geo;
    geo.geoTiff = args.geo;
    geo.overlay = args.overlay || settings.mapOverlay;
    geo.keepPlacement = std::find(kinds.begin(), kinds.end(), ProductKind::MapColour) != kinds.end() ||
                        std::find(kinds.begin(), kinds.end(), ProductKind::Temperature) != kinds.end();
    geo.place.satellite = args.file.satellite;
    geo.place.direction = args.file.decode.direction;
    geo.place.elementFile = args.file.elementFile;
    geo.place.worldMapFile = MapController::findWorldMapFile(
        paths.worldMapFile, std::filesystem::path(executablePath(argv)).parent_path().string());
    geo.place.align = args.align;
    geo.place.polar = args.polar;
    geo.place.offsets = settings.georeferenceOffsets;
    const auto placed = std::make_shared<PlacedPasses>();
    args.file.afterPictures = MakeDecodeGeoStep(geo, placed);

    // The title is drawn with Qt's fonts; no display is needed for that.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    // titles and thermal legends share the font lookup: one at a time
    const auto fontMutex = std::make_shared<std::mutex>();
    const TitleDrawer drawTitle = serialisedTitleDrawer(fontMutex);

    ProductsStep products;
    if (!kinds.empty()) {
        const ThermalDecorator decorate = [fontMutex](const PictureBuffer& thermal, const std::string& title) {
            std::lock_guard lock(*fontMutex);
            return DecorateThermalPicture(thermal, title);
        };
        products = [kinds, options = args.file, decorate, placed](
                       const PassFileReport& report, const LineStore& store) -> std::string {
            if (!report.pictured) return {};
            PassProductsInput in;
            in.store = &store;
            in.firstLine = report.pictureFirstLine;
            in.rows = report.pictureRows;
            in.direction = report.direction;
            in.satellite = options.satellite.value_or(report.satellite);
            in.picturesSaved = report.filesWritten;
            in.sensorNames = {report.recording.sensorNameA, report.recording.sensorNameB};
            in.passTime = report.passTime;
            in.kinds = kinds;
            in.automaticLevel = report.autoLevel;
            if (auto place = placed->take(report.path)) {
                in.landMask = std::move(place->landMask);
                in.tiePoints = std::move(place->tiePoints);
            }
            return MakePassProducts(in, decorate).text;
        };
    }

    int status = 0;
    if (list.files.size() == 1) {
        status = decodeOne(list.files.front(), args.file, drawTitle, products);
    } else {
        const int jobs = args.jobs > 0 ? args.jobs : int(std::max(1u, std::thread::hardware_concurrency()));
        status = decodeMany(list.files, jobs, args.file, drawTitle, products);
    }
    return list.errors.empty() ? status : 1;
}

}  // namespace sorae
