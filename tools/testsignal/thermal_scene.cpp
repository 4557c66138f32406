#include "testsignal/thermal_scene.h"

#include <algorithm>
#include <cmath>

#include "calibration/avhrr_coefficients.h"
#include "calibration/thermal_calibration.h"
#include "testsignal/test_patterns.h"

namespace sorae::testsignal {

ThermalTelemetry DefaultThermalTelemetry(int sensor) {
    ThermalTelemetry t;
    if (sensor == 6) t.blackbodyWord = 200;
    if (sensor == 5) t.blackbodyWord = 98;
    return t;
}

std::vector<double> MakeThermalScene(int height, double lowK, double highK) {
    std::vector<double> scene(std::size_t(kPictureColumns) * std::size_t(std::max(height, 0)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < kPictureColumns; ++x) {
            // two slanted waves: every temperature of the range within a
            // few hundred lines, little change within a few words
            const double f = 0.5 + 0.25 * std::sin(2.0 * M_PI * (x / 420.0 + y / 640.0)) +
                             0.25 * std::sin(2.0 * M_PI * (x / 260.0 - y / 900.0) + 1.0);
            scene[std::size_t(y) * kPictureColumns + x] = lowK + (highK - lowK) * f;
        }
    return scene;
}

std::optional<GreyPicture> ThermalScenePicture(const std::vector<double>& kelvin, int width,
                                               int height, const std::string& satellite, int sensor,
                                               const ThermalTelemetry& telemetry,
                                               std::string* error) {
    const SatelliteCoefficients* sat = CoefficientsFor(satellite);
    const auto channel = ChannelOfSensorWedge(sensor);
    if (!sat || !channel || !IsThermal(*channel)) {
        if (error) *error = !sat ? "no calibration coefficients for " + satellite
                                 : "sensor " + std::to_string(sensor) + " is not a thermal one";
        return std::nullopt;
    }
    std::array<double, 4> counts{};
    for (int i = 0; i < 4; ++i) counts[i] = CountOfWord(telemetry.thermometerWords[i]);
    const auto calibration = ThermalCalibration::make(
        *sat->thermal(*channel), BlackbodyTemperature(*sat, counts),
        CountOfWord(telemetry.spaceWord), CountOfWord(telemetry.blackbodyWord));
    if (!calibration || kelvin.size() < std::size_t(width) * std::size_t(height)) {
        if (error) *error = "the telemetry or the scene does not fit";
        return std::nullopt;
    }
    GreyPicture picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const double count = calibration->count(kelvin[i]);
        // the APT word keeps the upper 8 of the 10 bits
        const double word = std::isfinite(count) ? std::floor(std::clamp(count, 0.0, 1023.0) / 4.0) : 255.0;
        picture.pixels[i] = std::uint8_t(word);
    }
    return picture;
}

void ApplyThermalTelemetry(AptLineSource& source, int sensor, const ThermalTelemetry& telemetry) {
    source.setThermometerWords(telemetry.thermometerWords);
    source.setSensorViews(sensor, telemetry.blackbodyWord, telemetry.spaceWord);
}

}  // namespace sorae::testsignal
