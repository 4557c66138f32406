#include "orbit/sidereal_angle.h"

#include <cmath>

namespace sorae {

double GreenwichMeanSiderealAngle(double unixSecondsUt1)
{
    constexpr double kTwoPi = 6.283185307179586;
    constexpr double kUnixEpochJulianDate = 2440587.5;
    constexpr double kJ2000JulianDate = 2451545.0;
    // Julian centuries of UT1 since J2000; the day part and the fraction are
    // kept apart so that the large Julian date costs no precision.
    const double days = unixSecondsUt1 / 86400.0 + (kUnixEpochJulianDate - kJ2000JulianDate);
    const double t = days / 36525.0;
    // Seconds of sidereal time (IAU 1982, Aoki et al.).
    const double seconds = -6.2e-6 * t * t * t + 0.093104 * t * t +
                           (876600.0 * 3600.0 + 8640184.812866) * t + 67310.54841;
    // 240 seconds of time to a degree.
    double angle = std::fmod(seconds * (kTwoPi / 360.0) / 240.0, kTwoPi);
    if (angle < 0.0)
        angle += kTwoPi;
    return angle;
}

}  // namespace sorae
