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
    // --thermal-a / --thermal-b SATELLITE: the channel's picture is a scene
    // of known temperatures with matching telemetry (its sensor 4, 5 or 6);
    // the true temperatures go to P_A_kelvin.tif / P_B_kelvin.tif.
    std::string thermalSatellite[2];
    double thermalLowK = 200.0, thermalHighK = 320.0;   // --thermal-range LOW:HIGH
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
