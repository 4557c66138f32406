// The calibration coefficients of the AVHRR/3 of the satellites whose
// infrared channels we turn into temperatures: the four blackbody
// thermometers, each thermal channel's central wavenumber, band correction,
// space radiance and non-linear correction, and the visible channels'
// pre-launch slopes and intercepts. All from the NOAA KLM User's Guide
// (see avhrr_coefficients.cpp for the tables they come from).
#pragma once

#include <array>
#include <optional>
#include <string>

namespace sorae {

// The channels an APT half line can carry, by the sensor name the telemetry
// gives (wedge 16).
enum class AvhrrChannel { Ch1, Ch2, Ch3A, Ch3B, Ch4, Ch5 };

// The channel of a telemetry sensor wedge number (1..6 as Telemetry names
// them: 1 CH 1, 2 CH 2, 3 CH 3A, 4 CH 4, 5 CH 5, 6 CH 3B); nothing otherwise.
std::optional<AvhrrChannel> ChannelOfSensorWedge(int wedge);
const char* ChannelName(AvhrrChannel channel);   // "1", "2", "3A", "3B", "4", "5"
bool IsThermal(AvhrrChannel channel);

// T = d0 + d1 C + d2 C^2 + d3 C^3 + d4 C^4 (C the 10-bit thermometer count).
struct ThermometerCoefficients {
    std::array<double, 5> d{};
};

struct ThermalChannelCoefficients {
    double centralWavenumber = 0.0;   // vc, cm^-1
    double bandA = 0.0;               // T* = A + B T
    double bandB = 1.0;
    double spaceRadiance = 0.0;       // Ns, mW/(m2 sr cm-1)
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;   // Ncor = b0 + b1 Nlin + b2 Nlin^2
};

// Dual-gain visible channel: albedo % = slope C + intercept, the low pair up
// to the break count, the high pair above it.
struct VisibleChannelCoefficients {
    double lowSlope = 0.0, lowIntercept = 0.0;
    double highSlope = 0.0, highIntercept = 0.0;
    double breakCount = 0.0;
};

struct SatelliteCoefficients {
    const char* name;                                  // "NOAA 19"
    std::array<ThermometerCoefficients, 4> thermometers;
    std::array<double, 4> thermometerWeights;          // b1..b4 of the blackbody mean
    ThermalChannelCoefficients ch3b, ch4, ch5;
    std::optional<VisibleChannelCoefficients> ch1, ch2, ch3a;   // unset: not known to us

    const ThermalChannelCoefficients* thermal(AvhrrChannel channel) const;
    const VisibleChannelCoefficients* visible(AvhrrChannel channel) const;
};

// Planck's constants as the Guide uses them.
inline constexpr double kPlanckC1 = 1.1910427e-5;   // mW/(m2 sr cm-4)
inline constexpr double kPlanckC2 = 1.4387752;      // cm K

// The coefficients of NOAA 15, 18 or 19, by any usual spelling of the name
// ("NOAA 19", "NOAA-19", "noaa19"); nothing for any other satellite.
const SatelliteCoefficients* CoefficientsFor(const std::string& satelliteName);

}  // namespace sorae
