#include "calibration/avhrr_coefficients.h"

#include <cctype>

namespace sorae {
namespace {

// NOAA KLM User's Guide (NOAA NESDIS, the revision of February 2009 and
// later, which adds NOAA-N Prime), Appendix D:
//   NOAA-15 (NOAA-K): Table D.1-8 (PRT coefficients), D.1-11 (central
//     wavenumber, A, B), D.1-14 (Ns, b0, b1, b2), D.1-4 (visible channels);
//   NOAA-18 (NOAA-N): section D.4, the same four tables;
//   NOAA-19 (NOAA-N Prime): section D.6, the same four tables.
// The thermometer weights are 1 each (an equal-weight mean) for all three.
// Visible pre-launch coefficients only where we hold the published values.
const SatelliteCoefficients kSatellites[] = {
    {"NOAA 15",
     {{{{276.60157, 0.051045, 1.36328e-06, 0.0, 0.0}},
       {{276.62531, 0.050909, 1.47266e-06, 0.0, 0.0}},
       {{276.67413, 0.050907, 1.47656e-06, 0.0, 0.0}},
       {{276.59258, 0.050966, 1.47656e-06, 0.0, 0.0}}}},
     {1.0, 1.0, 1.0, 1.0},
     {2695.9743, 1.621256, 0.998015, 0.0, 0.0, 0.0, 0.0},
     {925.4075, 0.337810, 0.998719, -4.50, 4.76, -0.0932, 0.0004524},
     {839.8979, 0.304558, 0.999024, -3.61, 3.83, -0.0659, 0.0002811},
     VisibleChannelCoefficients{0.0568, -2.1874, 0.1633, -54.9928, 496.0},
     VisibleChannelCoefficients{0.0596, -2.4096, 0.1629, -55.2436, 511.0},
     std::nullopt},
    {"NOAA 18",
     {{{{276.601, 0.05090, 1.657e-06, 0.0, 0.0}},
       {{276.683, 0.05101, 1.482e-06, 0.0, 0.0}},
       {{276.565, 0.05117, 1.313e-06, 0.0, 0.0}},
       {{276.615, 0.05103, 1.484e-06, 0.0, 0.0}}}},
     {1.0, 1.0, 1.0, 1.0},
     {2659.7952, 1.698704, 0.996960, 0.0, 0.0, 0.0, 0.0},
     {928.1460, 0.436645, 0.998607, -5.53, 5.82, -0.11069, 0.00052337},
     {833.2532, 0.253179, 0.999057, -2.22, 2.67, -0.04360, 0.00017715},
     std::nullopt, std::nullopt, std::nullopt},
    {"NOAA 19",
     {{{{276.6067, 0.051111, 1.405783e-06, 0.0, 0.0}},
       {{276.6119, 0.051090, 1.496037e-06, 0.0, 0.0}},
       {{276.6311, 0.051033, 1.496990e-06, 0.0, 0.0}},
       {{276.6268, 0.051058, 1.493110e-06, 0.0, 0.0}}}},
     {1.0, 1.0, 1.0, 1.0},
     {2670.0, 1.67396, 0.997364, 0.0, 0.0, 0.0, 0.0},
     {928.9, 0.53959, 0.998534, -5.49, 5.70, -0.11187, 0.00054668},
     {831.9, 0.36064, 0.998913, -3.39, 3.58, -0.05991, 0.00024985},
     VisibleChannelCoefficients{0.055091, -2.1415, 0.16253, -55.863, 496.43},
     VisibleChannelCoefficients{0.054892, -2.1288, 0.16325, -56.445, 500.37},
     VisibleChannelCoefficients{0.027174, -1.0881, 0.18798, -81.491, 496.11}},
};

// "NOAA-19", "noaa 19", "NOAA19 " -> "noaa19"
std::string compact(const std::string& name) {
    std::string out;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::optional<AvhrrChannel> ChannelOfSensorWedge(int wedge) {
    switch (wedge) {
    case 1: return AvhrrChannel::Ch1;
    case 2: return AvhrrChannel::Ch2;
    case 3: return AvhrrChannel::Ch3A;
    case 4: return AvhrrChannel::Ch4;
    case 5: return AvhrrChannel::Ch5;
    case 6: return AvhrrChannel::Ch3B;
    default: return std::nullopt;
    }
}

const char* ChannelName(AvhrrChannel channel) {
    switch (channel) {
    case AvhrrChannel::Ch1: return "1";
    case AvhrrChannel::Ch2: return "2";
    case AvhrrChannel::Ch3A: return "3A";
    case AvhrrChannel::Ch3B: return "3B";
    case AvhrrChannel::Ch4: return "4";
    case AvhrrChannel::Ch5: return "5";
    }
    return "?";
}

bool IsThermal(AvhrrChannel channel) {
    return channel == AvhrrChannel::Ch3B || channel == AvhrrChannel::Ch4 ||
           channel == AvhrrChannel::Ch5;
}

const ThermalChannelCoefficients* SatelliteCoefficients::thermal(AvhrrChannel channel) const {
    switch (channel) {
    case AvhrrChannel::Ch3B: return &ch3b;
    case AvhrrChannel::Ch4: return &ch4;
    case AvhrrChannel::Ch5: return &ch5;
    default: return nullptr;
    }
}

const VisibleChannelCoefficients* SatelliteCoefficients::visible(AvhrrChannel channel) const {
    const std::optional<VisibleChannelCoefficients>* c = nullptr;
    switch (channel) {
    case AvhrrChannel::Ch1: c = &ch1; break;
    case AvhrrChannel::Ch2: c = &ch2; break;
    case AvhrrChannel::Ch3A: c = &ch3a; break;
    default: return nullptr;
    }
    return c->has_value() ? &**c : nullptr;
}

const SatelliteCoefficients* CoefficientsFor(const std::string& satelliteName) {
    const std::string wanted = compact(satelliteName);
    if (wanted.empty()) return nullptr;
    for (const SatelliteCoefficients& s : kSatellites)
        if (compact(s.name) == wanted) return &s;
    return nullptr;
}

}  // namespace sorae
