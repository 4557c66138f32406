// The program folder: where the settings file, the element file, the world
// map and the pictures live. It is the executable's folder, unless the
// command line names another one with --data-dir, or the executable's
// folder cannot be written (an installed program), in which case it is
// $XDG_DATA_HOME/sorae-apt (~/.local/share/sorae-apt). An installed copy
// (its bin folder beside share/sorae-apt) always uses that data folder.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace sorae {

struct ProgramPaths {
    std::string folder;        // without a trailing separator
    std::string settingsFile;  // folder + "/sorae-apt.ini"
    std::string elementFile;   // folder + "/SatTle.txt"
    std::string worldMapFile;  // folder + "/AllWorld.map"
    std::string picturesFolder;  // folder + "/pics"
};

ProgramPaths programPathsFor(const std::string& folder);

// The folder to use; nullopt (with a reason in *error) when the chosen
// folder does not exist and cannot be created. dataDir is the --data-dir
// value; executablePath the full path of the running program; isWritable
// tells whether a folder can be written (default: the process's access).
std::optional<std::string> resolveProgramFolder(const std::optional<std::string>& dataDir,
                                                const std::string& executablePath,
                                                std::string* error = nullptr,
                                                const std::function<bool(const std::string&)>& isWritable = {});

}  // namespace sorae
