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

// One window per program folder: two would write the same settings file
// and the same pictures. The window holds an exclusive lock (flock) on the
// file sorae-apt.lock in its folder while it runs; the system drops it when
// the process ends, however it ends. The commands (decode, passes) take no
// lock: they write nothing another copy could be writing.
class ProgramFolderLock {
public:
    enum class Outcome {
        Held,        // this process has the folder
        HeldByOther, // another running copy has it
        Unlockable,  // no lock can be taken there (a file system without locks)
    };
    explicit ProgramFolderLock(const std::string& folder);
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock&) = delete;
    ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

    Outcome outcome() const { return outcome_; }
    const std::string& lockFile() const { return path_; }
    const std::string& reason() const { return reason_; }  // for Unlockable

private:
    std::string path_;
    std::string reason_;
    int fd_ = -1;
    Outcome outcome_ = Outcome::Unlockable;
};

}  // namespace sorae
