#include "orbit/sgp_propagator.h"

#include <cmath>
#include <limits>

namespace sorae {

namespace {
// Gravitational constants of the model (earth radii, minutes).
constexpr double kKe = 0.0743669161;
constexpr double kK2Times15 = 0.000811962;
constexpr double kK2Half = 0.000270654;
constexpr double kJ2 = 0.001082616;
constexpr double kMinusJ3Half = 1.269405e-6;
constexpr double kMinEccentricity = 1e-6;
constexpr double kTwoThirds = 0.6666666666666666;
constexpr double k134Over81 = 1.654320987654321;
constexpr double kKeplerClamp = 0.95;
constexpr double kKeplerTolerance = 1e-9;
constexpr int kKeplerRounds = 10;
// Beyond this many radians an angle is reduced with fmod (16 turns).
constexpr double kFarAngle = 16.0 * kTwoPi;
}  // namespace

double ReduceAngle(double x)
{
    // Far from the range (an old element set, a corrupt one) the angle is
    // brought near it with one exact remainder; only the last few turns are
    // taken away step by step, so the cost does not grow with the age of the
    // elements and taking 2pi away always changes the angle.
    if (!std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::fabs(x) > kFarAngle)
        x = std::fmod(x, kTwoPi);
    while (x > kTwoPi)
        x -= kTwoPi;
    while (x < 0.0)
        x += kTwoPi;
    return x;
}

SgpEpochTerms SgpEpochTerms::from(const OrbitalElements& el)
{
    SgpEpochTerms s{};
    s.n0 = el.meanMotion;
    s.e0 = el.eccentricity;
    s.ndot2 = el.meanMotionFirstTerm;
    s.nddot6 = el.meanMotionSecondTerm;
    s.m0 = el.meanAnomaly;
    s.i0 = el.inclination;
    s.node0 = el.rightAscensionOfNode;
    s.perigee0 = el.argumentOfPerigee;
    s.cosI = std::cos(s.i0);
    s.sinI = std::sin(s.i0);
    s.theta2 = s.cosI * s.cosI;

    const double a1 = std::pow(kKe / s.n0, kTwoThirds);
    const double d1 =
        kK2Times15 * (3.0 * s.theta2 - 1.0) / (a1 * a1 * std::pow(1.0 - s.e0 * s.e0, 1.5));
    s.a0 = a1 * (1.0 - d1 * (1.0 / 3.0 + d1 * (1.0 + k134Over81 * d1)));
    const double p0 = s.a0 * (1.0 - s.e0 * s.e0);
    s.q0 = s.a0 * (1.0 - s.e0);
    s.l0 = s.m0 + s.perigee0 + s.node0;
    const double f = kK2Times15 * s.n0 / (p0 * p0);
    s.nodeRate = -2.0 * f * s.cosI;
    s.perigeeRate = f * (5.0 * s.theta2 - 1.0);
    return s;
}

OrbitState SgpEpochTerms::propagate(double t) const
{
    // Secular gravity and drag.
    const double a = a0 * std::pow(n0 / (n0 + (2.0 * ndot2 + 3.0 * nddot6 * t) * t), kTwoThirds);
    const double e = a > q0 ? 1.0 - q0 / a : kMinEccentricity;
    const double p = a * (1.0 - e * e);
    const double nodeS = node0 + nodeRate * t;
    const double perigeeS = perigee0 + perigeeRate * t;
    const double lS = l0 + (n0 + perigeeRate + nodeRate + (ndot2 + nddot6 * t) * t) * t;

    // Long-period periodics.
    const double g = (kMinusJ3Half * sinI) / (kJ2 * p);
    const double axN = e * std::cos(perigeeS);
    const double ayN = e * std::sin(perigeeS) + g;
    const double l = lS + (0.5 * g * axN) * (3.0 + 5.0 * cosI) / (1.0 + cosI);

    // Kepler's equation.
    const double u0 = ReduceAngle(l - nodeS);
    double ecc = u0;
    double sinE = 0.0, cosE = 0.0;
    for (int round = 0; round < kKeplerRounds; ++round) {
        sinE = std::sin(ecc);
        cosE = std::cos(ecc);
        const double delta = (u0 - ayN * cosE + axN * sinE - ecc) / (1.0 - axN * cosE - ayN * sinE);
        double step = delta;
        if (std::fabs(step) > kKeplerClamp)
            step = step > 0.0 ? kKeplerClamp : -kKeplerClamp;
        ecc += step;
        if (std::fabs(delta) <= kKeplerTolerance)
            break;
    }
    sinE = std::sin(ecc);
    cosE = std::cos(ecc);

    // Short-period preliminaries.
    const double eCosE = axN * cosE + ayN * sinE;
    const double eSinE = axN * sinE - ayN * cosE;
    const double eL2 = axN * axN + ayN * ayN;
    const double pL = a * (1.0 - eL2);
    const double r = a * (1.0 - eCosE);
    const double rDot = kKe * std::sqrt(a) * eSinE / r;
    const double rUDot = kKe * std::sqrt(pL) / r;
    const double w = eSinE / (1.0 + std::sqrt(1.0 - eL2));
    const double sinU = (a / r) * (sinE - ayN - axN * w);
    const double cosU = (a / r) * (cosE - axN + ayN * w);
    const double u = std::atan2(sinU, cosU);

    // Short-period corrections.
    const double sin2u = 2.0 * sinU * cosU;
    const double cos2u = 1.0 - 2.0 * sinU * sinU;
    const double h = kK2Half / (pL * pL);
    const double rK = r + sinI * sinI * kK2Half / pL * cos2u;
    const double uK = u - 0.5 * h * (7.0 * theta2 - 1.0) * sin2u;
    const double nodeK = nodeS + 3.0 * h * cosI * sin2u;
    const double iK = i0 + 3.0 * h * cosI * sinI * cos2u;

    // Orientation vectors.
    const double sinNode = std::sin(nodeK), cosNode = std::cos(nodeK);
    const double sinIK = std::sin(iK), cosIK = std::cos(iK);
    const double sinUK = std::sin(uK), cosUK = std::cos(uK);
    const double mx = -sinNode * cosIK;
    const double my = cosNode * cosIK;
    const Vector3 uVec{mx * sinUK + cosNode * cosUK, my * sinUK + sinNode * cosUK, sinIK * sinUK};
    const Vector3 vVec{mx * cosUK - cosNode * sinUK, my * cosUK - sinNode * sinUK, sinIK * cosUK};

    OrbitState out;
    out.positionEarthRadii = {rK * uVec.x, rK * uVec.y, rK * uVec.z};
    out.velocityEarthRadiiPerMinute = {rDot * uVec.x + rUDot * vVec.x, rDot * uVec.y + rUDot * vVec.y,
                                       rDot * uVec.z + rUDot * vVec.z};
    return out;
}

OrbitState PropagateOrbit(const OrbitalElements& prepared, double minutesSinceEpoch)
{
    return SgpEpochTerms::from(prepared).propagate(minutesSinceEpoch);
}

double OrbitalPeriod(const OrbitalElements& el)
{
    const double n0 = el.meanMotion;
    const double e0 = el.eccentricity;
    const double cosI = std::cos(el.inclination);
    const double a1 = std::pow(kKe / n0, kTwoThirds);
    const double delta = kK2Times15 * (3.0 * cosI * cosI - 1.0) / std::pow(1.0 - e0 * e0, 1.5);
    const double d1 = delta / (a1 * a1);
    const double a0 = a1 * (1.0 - d1 / 3.0 - d1 * d1 - k134Over81 * d1 * d1 * d1);
    const double d0 = delta / (a0 * a0);
    return (1.0 + d0) * kTwoPi / n0;
}

}  // namespace sorae
