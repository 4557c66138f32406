// sorae-aptgen: writes a deterministic APT test recording and, on request,
// the true pictures it carries.
#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

#include "testsignal/aptgen_command.h"

int main(int argc, char** argv) {
    using namespace sorae::testsignal;
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Qt's picture conversions run on its thread pool, which the
    // application object starts and stops in order.
    QCoreApplication app(argc, argv);
    const AptGenParse parsed = parseAptGenArguments(args);
    if (!parsed.command) {
        std::cerr << "sorae-aptgen: " << parsed.error << "\n" << aptGenUsage();
        return 2;
    }
    return runAptGen(*parsed.command, std::cout, std::cerr);
}
