#include "receiver/receiver_commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace sorae {

std::string tuneAr5000(double frequencyMHz)
{
    if (!std::isfinite(frequencyMHz))
        return {};
    // std::to_chars, unlike printf, never writes the locale's decimal comma.
    char digits[64];
    const auto printed =
        std::to_chars(digits, digits + sizeof digits, frequencyMHz, std::chars_format::general, 15);
    if (printed.ec != std::errc())
        return {};
    return "RF" + std::string(digits, printed.ptr) + kLineEnd;
}

std::string tunePcr(double frequencyMHz)
{
    // The receiver takes ten digits of hertz, so anything from 2 GHz on (or
    // below zero, which would put a sign into the field) is not sent.
    if (!(frequencyMHz >= 0.0) || frequencyMHz > 1999.9999)
        return {};
    char printed[64];
    const auto end =
        std::to_chars(printed, printed + sizeof printed - 1, frequencyMHz, std::chars_format::fixed, 6);
    if (end.ec != std::errc())
        return {};
    *end.ptr = '\0';
    const char* point = std::strchr(printed, '.');
    if (point == nullptr)
        return {};
    const auto integerDigits = static_cast<std::size_t>(point - printed);
    if (integerDigits > 4)
        return {};
    std::string field(4 - integerDigits, '0');
    field.append(printed, integerDigits);
    field.append(point + 1, 6);
    return "K0" + field + "050300\r\n";
}

std::string tuneDjx11(double frequencyMHz)
{
    const double hertz = frequencyMHz * 1000000.0;
    // Ten digits is what the command holds; a negative value would print
    // a sign into it.
    if (!(hertz >= 0.0) || hertz >= 9999976000.0)
        return {};
    const long long wholeHertz = static_cast<long long>(hertz) + 24000;
    char text[64];
    std::snprintf(text, sizeof text, "AL~FW0%010lld\r\n", wholeHertz);
    return text;
}

std::string antennaCommand(int terminal)
{
    return "AN" + std::to_string(terminal) + kLineEnd;
}

std::string pcrVolumeCommand(int volume)
{
    char text[16];
    std::snprintf(text, sizeof text, "J40%02X\r\n", std::clamp(volume, 0, 127));
    return text;
}

}  // namespace sorae
