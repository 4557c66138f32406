#include "orbit/sgp4_propagator.h"

#include "orbit/day_time.h"

#include <cmath>

namespace sorae {

namespace {

// WGS-72, as the 2006 revision of the model uses them.
constexpr double kEarthRadiusKm = 6378.135;
constexpr double kMu = 398600.8;  // km^3/s^2
const double kXke = 60.0 / std::sqrt(kEarthRadiusKm * kEarthRadiusKm * kEarthRadiusKm / kMu);
constexpr double kJ2 = 0.001082616;
constexpr double kJ3 = -0.00000253881;
constexpr double kJ4 = -0.00000165597;
constexpr double kJ3OverJ2 = kJ3 / kJ2;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kTwoThirds = 2.0 / 3.0;
constexpr double kDeepSpacePeriodMinutes = 225.0;

bool allFinite(const OrbitalElements& e)
{
    for (double v : {e.epoch, e.eccentricity, e.meanMotion, e.meanAnomaly, e.inclination,
                     e.rightAscensionOfNode, e.argumentOfPerigee, e.dragTerm})
        if (!std::isfinite(v))
            return false;
    return true;
}

}  // namespace

std::optional<double> ElementEpochUnixSeconds(double epoch)
{
    if (!std::isfinite(epoch) || epoch < 0.0 || epoch >= 100000.0)
        return std::nullopt;
    const int yy = static_cast<int>(epoch / 1000.0);
    const double dayOfYear = epoch - 1000.0 * yy;  // 1.0 is 1 January, 0 h
    const int year = yy < 57 ? 2000 + yy : 1900 + yy;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (dayOfYear < 1.0 || dayOfYear >= (leap ? 367.0 : 366.0))
        return std::nullopt;
    constexpr long kUnixEpochDayNumber = 2440588;  // 1970-01-01
    const long january1 = JulianDayNumber(year, 1, 1) - kUnixEpochDayNumber;
    return (static_cast<double>(january1) + dayOfYear - 1.0) * 86400.0;
}

std::optional<Sgp4Propagator> Sgp4Propagator::fromElements(const OrbitalElements& asRead,
                                                           std::string* error)
{
    auto refuse = [error](const char* why) -> std::optional<Sgp4Propagator> {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    if (!allFinite(asRead))
        return refuse("the element set holds a value that is not a number");
    const std::optional<double> epochSeconds = ElementEpochUnixSeconds(asRead.epoch);
    if (!epochSeconds)
        return refuse("the element set's epoch is not a possible date");
    if (asRead.eccentricity < 0.0 || asRead.eccentricity >= 1.0)
        return refuse("the eccentricity is outside 0..1");
    if (asRead.meanMotion <= 0.0 || asRead.meanMotion > 20.0)
        return refuse("the mean motion is not that of an earth orbit");
    if (asRead.inclination < 0.0 || asRead.inclination > 180.0)
        return refuse("the inclination is outside 0..180 degrees");
    if (std::fabs(asRead.dragTerm) > 1.0)
        return refuse("the drag term is absurd");

    Sgp4Propagator p;
    p.epochUnixSeconds_ = *epochSeconds;
    p.ecco_ = asRead.eccentricity;
    p.argpo_ = asRead.argumentOfPerigee * kDegToRad;
    p.inclo_ = asRead.inclination * kDegToRad;
    p.mo_ = asRead.meanAnomaly * kDegToRad;
    p.nodeo_ = asRead.rightAscensionOfNode * kDegToRad;
    p.bstar_ = asRead.dragTerm;
    const double kozaiMotion = asRead.meanMotion * kTwoPi / 1440.0;  // rad/min

    // Recover the original mean motion and semi-major axis from the
    // Kozai mean motion of the element set.
    const double eccsq = p.ecco_ * p.ecco_;
    const double omeosq = 1.0 - eccsq;
    const double rteosq = std::sqrt(omeosq);
    const double cosio = std::cos(p.inclo_);
    const double cosio2 = cosio * cosio;
    const double ak = std::pow(kXke / kozaiMotion, kTwoThirds);
    const double d1 = 0.75 * kJ2 * (3.0 * cosio2 - 1.0) / (rteosq * omeosq);
    double del = d1 / (ak * ak);
    const double adel = ak * (1.0 - del * del - del * (1.0 / 3.0 + 134.0 * del * del / 81.0));
    del = d1 / (adel * adel);
    p.meanMotion_ = kozaiMotion / (1.0 + del);
    const double ao = std::pow(kXke / p.meanMotion_, kTwoThirds);
    const double sinio = std::sin(p.inclo_);
    const double po = ao * omeosq;
    const double con42 = 1.0 - 5.0 * cosio2;
    p.con41_ = -con42 - cosio2 - cosio2;
    const double posq = po * po;
    const double rp = ao * (1.0 - p.ecco_);

    if (kTwoPi / p.meanMotion_ >= kDeepSpacePeriodMinutes)
        return refuse("the period is 225 minutes or more (a deep-space orbit, not handled)");

    // Drag: the density function's s and (q0 - s)^4 terms, lowered for
    // perigees under 156 km.
    p.simpleDrag_ = rp < 220.0 / kEarthRadiusKm + 1.0;
    double sfour = 78.0 / kEarthRadiusKm + 1.0;
    double qzms24 = std::pow((120.0 - 78.0) / kEarthRadiusKm, 4);
    const double perigeeKm = (rp - 1.0) * kEarthRadiusKm;
    if (perigeeKm < 156.0) {
        sfour = perigeeKm < 98.0 ? 20.0 : perigeeKm - 78.0;
        qzms24 = std::pow((120.0 - sfour) / kEarthRadiusKm, 4);
        sfour = sfour / kEarthRadiusKm + 1.0;
    }
    const double pinvsq = 1.0 / posq;
    const double tsi = 1.0 / (ao - sfour);
    p.eta_ = ao * p.ecco_ * tsi;
    const double etasq = p.eta_ * p.eta_;
    const double eeta = p.ecco_ * p.eta_;
    const double psisq = std::fabs(1.0 - etasq);
    const double coef = qzms24 * std::pow(tsi, 4);
    const double coef1 = coef / std::pow(psisq, 3.5);
    const double cc2 = coef1 * p.meanMotion_ *
                       (ao * (1.0 + 1.5 * etasq + eeta * (4.0 + etasq)) +
                        0.375 * kJ2 * tsi / psisq * p.con41_ * (8.0 + 3.0 * etasq * (8.0 + etasq)));
    p.cc1_ = p.bstar_ * cc2;
    double cc3 = 0.0;
    if (p.ecco_ > 1.0e-4)
        cc3 = -2.0 * coef * tsi * kJ3OverJ2 * p.meanMotion_ * sinio / p.ecco_;
    p.x1mth2_ = 1.0 - cosio2;
    p.cc4_ = 2.0 * p.meanMotion_ * coef1 * ao * omeosq *
             (p.eta_ * (2.0 + 0.5 * etasq) + p.ecco_ * (0.5 + 2.0 * etasq) -
              kJ2 * tsi / (ao * psisq) *
                  (-3.0 * p.con41_ * (1.0 - 2.0 * eeta + etasq * (1.5 - 0.5 * eeta)) +
                   0.75 * p.x1mth2_ * (2.0 * etasq - eeta * (1.0 + etasq)) * std::cos(2.0 * p.argpo_)));
    p.cc5_ = 2.0 * coef1 * ao * omeosq * (1.0 + 2.75 * (etasq + eeta) + eeta * etasq);

    // Secular rates of the mean anomaly, perigee and node from J2 and J4.
    const double cosio4 = cosio2 * cosio2;
    const double temp1 = 1.5 * kJ2 * pinvsq * p.meanMotion_;
    const double temp2 = 0.5 * temp1 * kJ2 * pinvsq;
    const double temp3 = -0.46875 * kJ4 * pinvsq * pinvsq * p.meanMotion_;
    p.mdot_ = p.meanMotion_ + 0.5 * temp1 * rteosq * p.con41_ +
              0.0625 * temp2 * rteosq * (13.0 - 78.0 * cosio2 + 137.0 * cosio4);
    p.argpdot_ = -0.5 * temp1 * con42 + 0.0625 * temp2 * (7.0 - 114.0 * cosio2 + 395.0 * cosio4) +
                 temp3 * (3.0 - 36.0 * cosio2 + 49.0 * cosio4);
    const double xhdot1 = -temp1 * cosio;
    p.nodedot_ = xhdot1 + (0.5 * temp2 * (4.0 - 19.0 * cosio2) + 2.0 * temp3 * (3.0 - 7.0 * cosio2)) * cosio;
    p.omgcof_ = p.bstar_ * cc3 * std::cos(p.argpo_);
    p.xmcof_ = p.ecco_ > 1.0e-4 ? -kTwoThirds * coef * p.bstar_ / eeta : 0.0;
    p.nodecf_ = 3.5 * omeosq * xhdot1 * p.cc1_;
    p.t2cof_ = 1.5 * p.cc1_;
    // Long-period J3 terms; the divisor is kept off zero for retrograde
    // equatorial orbits.
    const double onePlusCos = std::fabs(cosio + 1.0) > 1.5e-12 ? 1.0 + cosio : 1.5e-12;
    p.xlcof_ = -0.25 * kJ3OverJ2 * sinio * (3.0 + 5.0 * cosio) / onePlusCos;
    p.aycof_ = -0.5 * kJ3OverJ2 * sinio;
    p.delmo_ = std::pow(1.0 + p.eta_ * std::cos(p.mo_), 3);
    p.sinmao_ = std::sin(p.mo_);
    p.x7thm1_ = 7.0 * cosio2 - 1.0;

    if (!p.simpleDrag_) {
        const double cc1sq = p.cc1_ * p.cc1_;
        p.d2_ = 4.0 * ao * tsi * cc1sq;
        const double temp = p.d2_ * tsi * p.cc1_ / 3.0;
        p.d3_ = (17.0 * ao + sfour) * temp;
        p.d4_ = 0.5 * temp * ao * tsi * (221.0 * ao + 31.0 * sfour) * p.cc1_;
        p.t3cof_ = p.d2_ + 2.0 * cc1sq;
        p.t4cof_ = 0.25 * (3.0 * p.d3_ + p.cc1_ * (12.0 * p.d2_ + 10.0 * cc1sq));
        p.t5cof_ = 0.2 * (3.0 * p.d4_ + 12.0 * p.cc1_ * p.d3_ + 6.0 * p.d2_ * p.d2_ +
                          15.0 * cc1sq * (2.0 * p.d2_ + cc1sq));
    }

    if (!p.at(0.0))
        return refuse("the orbit lies inside the earth at the element set's epoch (decayed)");
    return p;
}

std::optional<TemeState> Sgp4Propagator::at(double t) const
{
    if (!std::isfinite(t))
        return std::nullopt;

    // Secular gravity and atmospheric drag.
    const double xmdf = mo_ + mdot_ * t;
    const double argpdf = argpo_ + argpdot_ * t;
    const double nodedf = nodeo_ + nodedot_ * t;
    double argpm = argpdf;
    double mm = xmdf;
    const double t2 = t * t;
    double nodem = nodedf + nodecf_ * t2;
    double tempa = 1.0 - cc1_ * t;
    double tempe = bstar_ * cc4_ * t;
    double templ = t2cof_ * t2;
    if (!simpleDrag_) {
        const double delomg = omgcof_ * t;
        const double delm = xmcof_ * (std::pow(1.0 + eta_ * std::cos(xmdf), 3) - delmo_);
        const double temp = delomg + delm;
        mm = xmdf + temp;
        argpm = argpdf - temp;
        const double t3 = t2 * t;
        const double t4 = t3 * t;
        tempa = tempa - d2_ * t2 - d3_ * t3 - d4_ * t4;
        tempe = tempe + bstar_ * cc5_ * (std::sin(mm) - sinmao_);
        templ = templ + t3cof_ * t3 + t4 * (t4cof_ + t * t5cof_);
    }

    const double am = std::pow(kXke / meanMotion_, kTwoThirds) * tempa * tempa;
    const double nm = kXke / std::pow(am, 1.5);
    double em = ecco_ - tempe;
    if (!(em < 1.0 && em >= -0.001) || !(am > 0.0))
        return std::nullopt;
    if (em < 1.0e-6)
        em = 1.0e-6;
    mm = mm + meanMotion_ * templ;
    double xlm = mm + argpm + nodem;
    nodem = std::fmod(nodem, kTwoPi);
    argpm = std::fmod(argpm, kTwoPi);
    xlm = std::fmod(xlm, kTwoPi);
    mm = std::fmod(xlm - argpm - nodem, kTwoPi);

    const double sinim = std::sin(inclo_);
    const double cosim = std::cos(inclo_);

    // Long-period periodics.
    const double axnl = em * std::cos(argpm);
    double temp = 1.0 / (am * (1.0 - em * em));
    const double aynl = em * std::sin(argpm) + temp * aycof_;
    const double xl = mm + argpm + nodem + temp * xlcof_ * axnl;

    // Kepler's equation in the equinoctial form, Newton steps limited to 0.95.
    const double u = std::fmod(xl - nodem, kTwoPi);
    double eo1 = u;
    double step = 9999.9;
    double sineo1 = 0.0, coseo1 = 0.0;
    for (int k = 0; std::fabs(step) >= 1.0e-12 && k < 10; ++k) {
        sineo1 = std::sin(eo1);
        coseo1 = std::cos(eo1);
        step = (u - aynl * coseo1 + axnl * sineo1 - eo1) / (1.0 - coseo1 * axnl - sineo1 * aynl);
        if (std::fabs(step) >= 0.95)
            step = step > 0.0 ? 0.95 : -0.95;
        eo1 += step;
    }

    // Short-period periodics.
    const double ecose = axnl * coseo1 + aynl * sineo1;
    const double esine = axnl * sineo1 - aynl * coseo1;
    const double el2 = axnl * axnl + aynl * aynl;
    const double pl = am * (1.0 - el2);
    if (pl < 0.0)
        return std::nullopt;
    const double rl = am * (1.0 - ecose);
    const double rdotl = std::sqrt(am) * esine / rl;
    const double rvdotl = std::sqrt(pl) / rl;
    const double betal = std::sqrt(1.0 - el2);
    temp = esine / (1.0 + betal);
    const double sinu = am / rl * (sineo1 - aynl - axnl * temp);
    const double cosu = am / rl * (coseo1 - axnl + aynl * temp);
    double su = std::atan2(sinu, cosu);
    const double sin2u = (cosu + cosu) * sinu;
    const double cos2u = 1.0 - 2.0 * sinu * sinu;
    temp = 1.0 / pl;
    const double temp1 = 0.5 * kJ2 * temp;
    const double temp2 = temp1 * temp;

    const double mrt = rl * (1.0 - 1.5 * temp2 * betal * con41_) + 0.5 * temp1 * x1mth2_ * cos2u;
    su = su - 0.25 * temp2 * x7thm1_ * sin2u;
    const double xnode = nodem + 1.5 * temp2 * cosim * sin2u;
    const double xinc = inclo_ + 1.5 * temp2 * cosim * sinim * cos2u;
    const double mvt = rdotl - nm * temp1 * x1mth2_ * sin2u / kXke;
    const double rvdot = rvdotl + nm * temp1 * (x1mth2_ * cos2u + 1.5 * con41_) / kXke;
    if (mrt < 1.0)
        return std::nullopt;  // below the surface: decayed

    // Orientation vectors, then position and velocity.
    const double sinsu = std::sin(su), cossu = std::cos(su);
    const double snod = std::sin(xnode), cnod = std::cos(xnode);
    const double sini = std::sin(xinc), cosi = std::cos(xinc);
    const double xmx = -snod * cosi;
    const double xmy = cnod * cosi;
    const std::array<double, 3> uv{xmx * sinsu + cnod * cossu, xmy * sinsu + snod * cossu, sini * sinsu};
    const std::array<double, 3> vv{xmx * cossu - cnod * sinsu, xmy * cossu - snod * sinsu, sini * cossu};
    const double kmPerSecond = kEarthRadiusKm * kXke / 60.0;
    TemeState s;
    for (std::size_t i = 0; i < 3; ++i) {
        s.positionKm[i] = mrt * uv[i] * kEarthRadiusKm;
        s.velocityKmPerS[i] = (mvt * uv[i] + rvdot * vv[i]) * kmPerSecond;
    }
    return s;
}

}  // namespace sorae
