// The command line of sorae-aptgen: parsing into a command and running it
// (pictures, generator, recording file, true pictures).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "testsignal/apt_signal_generator.h"
#include "testsignal/recording_writer.h"

namespace sorae::testsignal {

struct AptGenCommand {
    std::string outPath;
    GeneratorOptions generator;
    SampleFormat format = SampleFormat::Int16;
    std::string pictureA, pictureB;                  // PNG files; empty: pattern
    std::string patternA = "card", patternB = "card";
    int sensorA = 2, sensorB = 4;
    // --sensor-a-after / --sensor-b-after LINE:N: sensor N from line LINE on
    struct SensorChange {
        long fromLine = -1;   // -1: none
        int sensor = 0;
    };
    SensorChange sensorChange[2];
    std::string truthPrefix;                         // empty: no true pictures
    bool help = false;
};

struct AptGenParse {
    std::optional<AptGenCommand> command;
    std::string error;
};

// Arguments without the program name.
AptGenParse parseAptGenArguments(const std::vector<std::string>& args);

std::string aptGenUsage();

// Runs a parsed command; returns the process exit status (0 on success).
int runAptGen(const AptGenCommand& command, std::ostream& out, std::ostream& err);

}  // namespace sorae::testsignal
