// Runs the built program with a command line (through the shell, so quote
// paths and options holding > or <) and collects its exit status and its
// merged standard output and error. Needs SORAE_BINARY_DIR.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace sorae::testsupport {

struct ProgramRun {
    int status = -1;     // the exit status; -1 when it did not exit normally
    std::string output;  // stdout and stderr
};

inline std::string programPath() { return std::string(SORAE_BINARY_DIR) + "/src/app/sorae-apt"; }

inline ProgramRun runProgram(const std::string& arguments) {
    ProgramRun run;
    FILE* pipe = ::popen((programPath() + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace sorae::testsupport
