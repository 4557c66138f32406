// The program folder and the command line front end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/command_line.h"
#include "app/program_folder.h"

namespace fs = std::filesystem;
using namespace sorae;

namespace {

struct TempTree {
    fs::path root;
    TempTree() {
        root = fs::temp_directory_path() / ("sorae-folder-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~TempTree() { fs::remove_all(root); }
};

struct Args {
    std::vector<std::string> text;
    std::vector<char*> ptrs;
    explicit Args(std::initializer_list<const char*> list) {
        for (const char* s : list) text.emplace_back(s);
        for (auto& s : text) ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return int(text.size()); }
    char** argv() { return ptrs.data(); }
};

}  // namespace

TEST(ProgramFolder, PathsAreFormedInTheFolder) {
    const ProgramPaths p = programPathsFor("/opt/station/");
    EXPECT_EQ(p.folder, "/opt/station");
    EXPECT_EQ(p.settingsFile, "/opt/station/sorae-apt.ini");
    EXPECT_EQ(p.elementFile, "/opt/station/SatTle.txt");
    EXPECT_EQ(p.worldMapFile, "/opt/station/AllWorld.map");
    EXPECT_EQ(p.picturesFolder, "/opt/station/pics");
}

TEST(ProgramFolder, ChoosesDataDirThenExecutableFolderThenXdgData) {
    TempTree t;
    const fs::path bin = t.root / "bin";
    fs::create_directories(bin);
    const std::string exe = (bin / "sorae-apt").string();

    EXPECT_EQ(resolveProgramFolder(std::nullopt, exe), bin.string());

    const fs::path station = t.root / "stations" / "north";
    EXPECT_EQ(resolveProgramFolder(station.string() + "/", exe), station.string());
    EXPECT_TRUE(fs::is_directory(station)) << "--data-dir is created when missing";

    // An installed program's folder cannot be written.
    const auto readOnly = [&](const std::string& folder) { return folder != bin.string(); };
    const std::string oldXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("XDG_DATA_HOME", (t.root / "xdg").c_str(), 1);
    EXPECT_EQ(resolveProgramFolder(std::nullopt, exe, nullptr, readOnly), (t.root / "xdg" / "sorae-apt").string());
    EXPECT_TRUE(fs::is_directory(t.root / "xdg" / "sorae-apt"));
    ::unsetenv("XDG_DATA_HOME");
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", (t.root / "home").c_str(), 1);
    EXPECT_EQ(resolveProgramFolder(std::nullopt, exe, nullptr, readOnly),
              (t.root / "home" / ".local" / "share" / "sorae-apt").string());
    ::setenv("HOME", oldHome.c_str(), 1);
    if (oldXdg.empty()) ::unsetenv("XDG_DATA_HOME"); else ::setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
}

TEST(ProgramFolder, AnInstalledCopyUsesTheDataFolderEvenWhenItsBinCanBeWritten) {
    TempTree t;
    const fs::path bin = t.root / "usr" / "bin";
    fs::create_directories(bin);
    fs::create_directories(t.root / "usr" / "share" / "sorae-apt");
    const std::string oldXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    ::setenv("XDG_DATA_HOME", (t.root / "xdg").c_str(), 1);
    const auto writable = [](const std::string&) { return true; };
    EXPECT_EQ(resolveProgramFolder(std::nullopt, (bin / "sorae-apt").string(), nullptr, writable),
              (t.root / "xdg" / "sorae-apt").string());
    // --data-dir still wins.
    EXPECT_EQ(resolveProgramFolder((t.root / "here").string(), (bin / "sorae-apt").string(), nullptr,
                                   writable),
              (t.root / "here").string());
    if (oldXdg.empty()) ::unsetenv("XDG_DATA_HOME"); else ::setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
}

TEST(ProgramFolder, AnImpossibleDataDirIsAnError) {
    TempTree t;
    std::ofstream((t.root / "file").string()) << "x";
    std::string error;
    EXPECT_FALSE(resolveProgramFolder((t.root / "file" / "sub").string(), "/usr/bin/sorae-apt", &error));
    EXPECT_FALSE(error.empty());
}

TEST(CommandLine, OptionsAndCommands) {
    Args none{"sorae-apt"};
    EXPECT_EQ(runCommandLine(none.argc(), none.argv()), -1);
    Args dataDir{"sorae-apt", "--data-dir", "/tmp/x"};
    EXPECT_EQ(runCommandLine(dataDir.argc(), dataDir.argv()), -1);
    EXPECT_EQ(dataDirOption(dataDir.argc(), dataDir.argv()), "/tmp/x");
    Args joined{"sorae-apt", "--data-dir=/tmp/y"};
    EXPECT_EQ(dataDirOption(joined.argc(), joined.argv()), "/tmp/y");
    Args missing{"sorae-apt", "--data-dir"};
    EXPECT_EQ(runCommandLine(missing.argc(), missing.argv()), 2);
    Args unknown{"sorae-apt", "--frobnicate"};
    EXPECT_EQ(runCommandLine(unknown.argc(), unknown.argv()), 2);
    Args bogus{"sorae-apt", "no-such-command"};
    EXPECT_EQ(runCommandLine(bogus.argc(), bogus.argv()), 2);
    Args commandOwnsItsOptions{"sorae-apt", "no-such-command", "--data-dir", "/tmp/z"};
    EXPECT_FALSE(dataDirOption(commandOwnsItsOptions.argc(), commandOwnsItsOptions.argv()));
    EXPECT_EQ(versionText(), "version 1.0.0 build 005");
}
