// Which satellite a recording holds when nobody said: the satellite its
// file name names ("NOAA19_...", this program's pass audio), else the one
// whose APT frequency its name carries, as receiver programs write it:
//   gqrx   gqrx_20210714_220140_137100000.wav        Hz
//   SDR#   SDRSharp_20210714_220140Z_137100000Hz_AF   Hz
//   HDSDR  HDSDR_20210714_220140Z_137100kHz_AF        kHz
//   SDR++  audio_137100000Hz_22-01-40_14-07-2021     Hz
//   others 137100 (kHz), 137.1 or 137.9125MHz (MHz)
// Satellites that shared a frequency are told apart by the recording's
// time, when one of them alone was sending then. An I/Q recording's name
// gives the frequency of its centre; the satellite's lies where its carrier
// was found or given, and without one the name tells no satellite.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sorae {

// The frequency, in MHz, that the file name carries between 137 and 138 MHz.
std::optional<double> FrequencyFromFileName(std::string_view path);

struct RecordingSatellite {
    std::optional<std::string> name;  // "NOAA-19"; unset when unknown
    std::string source;               // "the file name", "the file name's 137.1000 MHz"
    std::string doubt;                // why a frequency named no one satellite
};

struct IqCarrier {
    std::optional<double> offsetHz;  // from the centre; unset: not found
};

// `iq` is set for an I/Q recording.
RecordingSatellite SatelliteOfRecording(std::string_view path, std::optional<double> startUnixSeconds,
                                        std::optional<IqCarrier> iq = std::nullopt);

}  // namespace sorae
