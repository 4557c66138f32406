// `sorae-apt passes`: the pass table of the next 24 hours on standard output,
// computed as the window computes it, from the settings file's values unless
// the options override them; with --all, every pass of the coming days and
// whether the table takes it.
#include "app/program_folder.h"
#include "orbit/all_passes.h"
#include "orbit/all_passes_listing.h"
#include "orbit/pass_computation.h"
#include "orbit/pass_listing.h"
#include "recording/recording_start_time.h"
#include "settings/settings_file.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <ctime>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sorae {

namespace {

struct PassesArguments {
    std::optional<std::string> elements;
    std::optional<UtcInstant> at;
    std::optional<StationPosition> station;
    std::optional<std::array<bool, 8>> satellites;
    std::optional<std::string> dataDir;
    bool all = false;
    std::optional<int> days;
};

// An ISO 8601 time as `decode --start` takes it, to the second.
std::optional<UtcInstant> utcInstantFromIso(const std::string& text)
{
    const std::optional<double> unix = ParseIsoStartTime(text);
    if (!unix) return std::nullopt;
    const std::time_t seconds = static_cast<std::time_t>(std::floor(*unix));
    std::tm t{};
    if (!gmtime_r(&seconds, &t)) return std::nullopt;
    return UtcInstant{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

void printPassesHelp()
{
    std::printf(
        "Usage: sorae-apt passes [--elements FILE] [--at \"YYYY/MM/DD hh:nn:ss\"]\n"
        "                        [--station LAT,LON] [--satellites NOAA-15,NOAA-18,...]\n"
        "                        [--data-dir DIR] [--all [--days N]]\n"
        "\n"
        "Prints the passes of the next 24 hours, one line per pass, tab separated:\n"
        "slot, satellite, start, end, maximum elevation, direction, frequency (MHz),\n"
        "time of maximum; times in station time (UT + 9 h). Then the next-pass text.\n"
        "\n"
        "  --elements FILE  element file (default: SatTle.txt in the program folder)\n"
        "  --at TIME        UT instant the 24 hours start from (default: now); also\n"
        "                   ISO 8601 as decode --start takes it (2019-05-21T17:02:04Z)\n"
        "  --station L,L    station latitude and longitude in degrees (default: settings)\n"
        "  --satellites S   satellites to predict (default: the reception list of the settings)\n"
        "  --data-dir DIR   program folder (settings file, element file)\n"
        "  --all            every pass instead of the table, one line each, tab separated:\n"
        "                   satellite, frequency (MHz), acquisition time and azimuth,\n"
        "                   culmination time and azimuth, loss time and azimuth,\n"
        "                   maximum elevation, direction, and whether the table takes it\n"
        "                   for automatic reception (or why not)\n"
        "  --days N         with --all: days to list, 1 to 31 (default 1)\n");
}

// Option value of "--name VALUE" or "--name=VALUE"; advances i past it.
std::optional<std::string> optionValue(int argc, char** argv, int& i, const std::string& name)
{
    const std::string arg = argv[i];
    if (arg == name) {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "sorae-apt passes: %s needs a value\n", name.c_str());
            return std::nullopt;
        }
        return std::string(argv[++i]);
    }
    return arg.substr(name.size() + 1);
}

bool hasOption(const std::string& arg, const std::string& name)
{
    return arg == name || arg.rfind(name + "=", 0) == 0;
}

// nullopt to go on; otherwise the exit status.
std::optional<int> parsePassesArguments(int argc, char** argv, PassesArguments& a)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printPassesHelp();
            return 0;
        }
        if (arg == "--all") {
            a.all = true;
            continue;
        }
        const char* names[] = {"--elements", "--at", "--station", "--satellites", "--data-dir", "--days"};
        const char* matched = nullptr;
        for (const char* n : names) {
            if (hasOption(arg, n))
                matched = n;
        }
        if (matched == nullptr) {
            std::fprintf(stderr, "sorae-apt passes: unknown argument %s (try --help)\n", arg.c_str());
            return 2;
        }
        const std::optional<std::string> value = optionValue(argc, argv, i, matched);
        if (!value)
            return 2;
        const std::string option = matched;
        if (option == "--elements") {
            a.elements = *value;
        } else if (option == "--data-dir") {
            a.dataDir = *value;
        } else if (option == "--at") {
            a.at = ParseUtcInstant(*value);
            if (!a.at) a.at = utcInstantFromIso(*value);
            if (!a.at) {
                std::fprintf(stderr, "sorae-apt passes: --at wants \"YYYY/MM/DD hh:nn:ss\" (UT), not %s\n",
                             value->c_str());
                return 2;
            }
        } else if (option == "--days") {
            int days = 0;
            std::size_t used = 0;
            try {
                days = std::stoi(*value, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != value->size() || days < 1 || days > kMaxListDays) {
                std::fprintf(stderr, "sorae-apt passes: --days wants a whole number from 1 to %d, not %s\n",
                             kMaxListDays, value->c_str());
                return 2;
            }
            a.days = days;
        } else if (option == "--station") {
            a.station = ParseStationPosition(*value);
            if (!a.station) {
                std::fprintf(stderr, "sorae-apt passes: --station wants LAT,LON in degrees, not %s\n",
                             value->c_str());
                return 2;
            }
        } else if (option == "--satellites") {
            a.satellites = ParseSatelliteSelection(*value);
            if (!a.satellites) {
                std::fprintf(stderr,
                             "sorae-apt passes: --satellites takes names among NOAA-11, NOAA-12, NOAA-14, "
                             "NOAA-15, NOAA-16, NOAA-17, NOAA-18, NOAA-19, not %s\n",
                             value->c_str());
                return 2;
            }
        }
    }
    if (a.days && !a.all) {
        std::fprintf(stderr, "sorae-apt passes: --days goes with --all\n");
        return 2;
    }
    return std::nullopt;
}

std::string runningExecutable(char** argv)
{
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0)
        return std::string(exe, static_cast<std::size_t>(n));
    return argv[0];
}

UtcInstant currentUtc()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return UtcInstant{utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

}  // namespace

int runPassesCommand(int argc, char** argv)
{
    PassesArguments args;
    if (const auto status = parsePassesArguments(argc, argv, args))
        return *status;

    std::string error;
    const auto folder = resolveProgramFolder(args.dataDir, runningExecutable(argv), &error);
    if (!folder) {
        std::fprintf(stderr, "sorae-apt passes: %s\n", error.c_str());
        return 1;
    }
    const ProgramPaths paths = programPathsFor(*folder);
    // A missing or unreadable settings file gives the defaults.
    const AppSettings settings = loadSettingsFile(paths.settingsFile);

    PassRequest request;
    request.elementFilePath = args.elements.value_or(paths.elementFile);
    // A FIFO or a device (/dev/zero) would be read for ever.
    struct stat elementStat {};
    if (::stat(request.elementFilePath.c_str(), &elementStat) == 0 && !S_ISREG(elementStat.st_mode)) {
        std::fprintf(stderr, "sorae-apt passes: %s is not a regular file\n", request.elementFilePath.c_str());
        return 1;
    }
    request.receptionList = MakeReceptionList(args.satellites.value_or(settings.recvSat));
    request.now = args.at.value_or(currentUtc());
    request.settings.minElevDeg = settings.minElev;
    request.settings.maxElevDeg = settings.maxElev;
    request.settings.sortElev = settings.sortElev;
    request.settings.sortNext = settings.sortNext;
    request.settings.updateDays = settings.updateDay;
    request.settings.stationLatDeg = args.station ? args.station->latitudeDeg : settings.locateN;
    request.settings.stationLonDeg = args.station ? args.station->longitudeDeg : settings.locateE;

    if (args.all) {
        const PassList list = ListPassesWithTableChoice(request, args.days.value_or(1));
        if (!list.ok) {
            std::fprintf(stderr, "sorae-apt passes: cannot read the element file %s\n",
                         request.elementFilePath.c_str());
            return 1;
        }
        if (list.satelliteCount == 0) {
            std::fprintf(stderr, "sorae-apt passes: none of the selected satellites is in %s\n",
                         request.elementFilePath.c_str());
            return 1;
        }
        std::fputs(FormatAllPassesListing(list, request.settings.maxElevDeg).c_str(), stdout);
        return 0;
    }

    const PassComputation result = ComputePasses(request);
    if (!result.ok) {
        std::fprintf(stderr, "sorae-apt passes: cannot read the element file %s\n",
                     request.elementFilePath.c_str());
        return 1;
    }
    if (result.satelliteCount == 0) {
        std::fprintf(stderr, "sorae-apt passes: none of the selected satellites is in %s\n",
                     request.elementFilePath.c_str());
        return 1;
    }
    std::fputs(FormatPassListing(result).c_str(), stdout);
    if (result.elementAgeDays)
        std::fprintf(stderr, "%s\n", ElementAgeText(*result.elementAgeDays, settings.updateDay).c_str());
    if (result.elementsOld)
        std::fprintf(stderr, "%s\n", kElementsNotNewText);
    return 0;
}

}  // namespace sorae
