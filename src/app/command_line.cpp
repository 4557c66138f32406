#include "app/command_line.h"

#include <cstdio>
#include <cstring>
#include <string_view>

// Commands are linked in when their source file is part of the program
// (src/app/CMakeLists.txt defines SORAE_HAS_<NAME>_COMMAND for each).
#ifdef SORAE_HAS_DECODE_COMMAND
namespace sorae { int runDecodeCommand(int argc, char** argv); }
#endif
#ifdef SORAE_HAS_PASSES_COMMAND
namespace sorae { int runPassesCommand(int argc, char** argv); }
#endif

namespace sorae {

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* summary;
};

constexpr Command kCommands[] = {
#ifdef SORAE_HAS_DECODE_COMMAND
    {"decode", &runDecodeCommand, "decode a recording into the two channel pictures"},
#endif
#ifdef SORAE_HAS_PASSES_COMMAND
    {"passes", &runPassesCommand, "print the predicted passes of the next 24 hours"},
#endif
    {nullptr, nullptr, nullptr},
};

void printHelp() {
    std::printf(
        "Usage: sorae-apt [--data-dir DIR]\n"
        "       sorae-apt COMMAND [OPTIONS]\n"
        "\n"
        "Receives NOAA weather-satellite APT pictures from the sound card.\n"
        "\n"
        "Options:\n"
        "  --data-dir DIR  program folder (settings, SatTle.txt, AllWorld.map, pics/);\n"
        "                  default: the program's own folder, or ~/.local/share/sorae-apt\n"
        "                  when that cannot be written\n"
        "  --help          show this help\n"
        "  --version       show the version\n");
    bool any = false;
    for (const Command* c = kCommands; c->name != nullptr; ++c) {
        if (!any) std::printf("\nCommands:\n");
        any = true;
        std::printf("  %-14s %s\n", c->name, c->summary);
    }
}

}  // namespace

std::string versionText() { return "version 1.0.0 build 005"; }

std::optional<std::string> dataDirOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--data-dir" && i + 1 < argc) return std::string(argv[i + 1]);
        if (arg.rfind("--data-dir=", 0) == 0) return std::string(arg.substr(11));
        if (arg.empty() || arg[0] != '-') break;  // a command: its options are its own
    }
    return std::nullopt;
}

int runCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        }
        if (arg == "--version") {
            std::printf("%s\n", versionText().c_str());
            return 0;
        }
        if (arg == "--data-dir") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "sorae-apt: --data-dir needs a folder\n");
                return 2;
            }
            ++i;
            continue;
        }
        if (arg.rfind("--data-dir=", 0) == 0) continue;
        if (arg.rfind("-platform", 0) == 0 || arg.rfind("--platform", 0) == 0) {
            ++i;  // Qt's own option, with its value
            continue;
        }
        if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "sorae-apt: unknown option %s (try --help)\n", argv[i]);
            return 2;
        }
        for (const Command* c = kCommands; c->name != nullptr; ++c) {
            if (arg == c->name) return c->run(argc - i, argv + i);
        }
        std::fprintf(stderr, "sorae-apt: unknown command %s (try --help)\n", argv[i]);
        return 2;
    }
    return -1;
}

}  // namespace sorae
