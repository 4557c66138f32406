// Command texts of the three receivers: tuning, antenna and volume. Every
// text ends with CR LF. An empty result means "send nothing".
#pragma once

#include <string>

namespace sorae {

inline constexpr const char* kLineEnd = "\r\n";

// "RF" + the frequency in MHz in its shortest decimal form (15 significant
// digits at most): 137.62 -> "RF137.62\r\n".
std::string tuneAr5000(double frequencyMHz);

// "K0" + the frequency in Hz as ten digits + "050300": 137.62 ->
// "K00137620000050300\r\n". Nothing above 1999.9999 MHz or below zero.
std::string tunePcr(double frequencyMHz);

// "AL~FW0" + (Hz truncated + 24000) as ten digits: 137.62 ->
// "AL~FW00137644000\r\n". Nothing for a negative or out-of-range value.
std::string tuneDjx11(double frequencyMHz);

// "AN" + the terminal number.
std::string antennaCommand(int terminal);

// "J40" + the volume as two upper-case hex digits (clamped to 0..127).
std::string pcrVolumeCommand(int volume);

}  // namespace sorae
