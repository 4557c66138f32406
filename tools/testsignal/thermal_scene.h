// Test passes whose infrared picture is made from known temperatures: a
// scene of brightness temperatures, the telemetry a thermal sensor of a
// chosen satellite would send with it (thermometers, back scan, space
// view), and the picture words that scene gives through the satellite's
// calibration, cut to their upper 8 bits as the APT words are.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "testsignal/apt_line_source.h"
#include "testsignal/grey_picture.h"

namespace sorae::testsignal {

// What the thermal sensor's telemetry shows, as 8-bit words.
struct ThermalTelemetry {
    std::array<int, 4> thermometerWords{60, 61, 59, 62};   // about 289 K
    int spaceWord = 247;                                   // about 990 counts
    int blackbodyWord = 100;
};

// Views that put a sensor's scenes well inside the words: sensor 4 and 5
// (channels 4, 5) see the blackbody near word 100, sensor 6 (3B), whose
// radiance climbs steeply, near word 200.
ThermalTelemetry DefaultThermalTelemetry(int sensor);

// A scene of kPictureColumns x height temperatures (K), row by row: smooth
// waves, as cloud fields and coasts seen at 4 km are, between lowK and highK.
std::vector<double> MakeThermalScene(int height, double lowK, double highK);

// The words of a scene as the sensor (4, 5 or 6) of the satellite sends
// it; nothing (and *error) for an unknown satellite or a non-thermal sensor.
std::optional<GreyPicture> ThermalScenePicture(const std::vector<double>& kelvin, int width,
                                               int height, const std::string& satellite, int sensor,
                                               const ThermalTelemetry& telemetry,
                                               std::string* error);

// Makes the source send that telemetry for the sensor.
void ApplyThermalTelemetry(AptLineSource& source, int sensor, const ThermalTelemetry& telemetry);

}  // namespace sorae::testsignal
