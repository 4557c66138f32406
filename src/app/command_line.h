// The command line: global options and the commands that run without the
// window.
//
//   sorae-apt [--data-dir DIR]            the window
//   sorae-apt --help | --version
//   sorae-apt decode ...                  (when built in)
//   sorae-apt passes ...                  (when built in)
//
// A command is a function int run<Name>Command(int argc, char** argv) in
// src/app/<name>_command.cpp; it gets the arguments from the command's name
// on (argv[0] is "decode", "passes", ...) and returns the exit status.
// Commands parse their own options, --data-dir included.
#pragma once

#include <optional>
#include <string>

namespace sorae {

// Runs --help, --version or a command and returns the exit status; -1 when
// no command was given and the window should start.
int runCommandLine(int argc, char** argv);

// The value of --data-dir DIR (or --data-dir=DIR) among the options before
// any command.
std::optional<std::string> dataDirOption(int argc, char** argv);

std::string versionText();

}  // namespace sorae
