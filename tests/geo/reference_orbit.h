// Orbit states of a real element set from python3-sgp4 (run as a black box
// by sgp4_reference.py), and an orbit function that interpolates them, so
// the geometry can be checked against an independent propagator.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "geo/swath_geolocation.h"

namespace sorae::test {

struct ReferenceSample {
    double unix = 0.0;
    InertialState state;
    GeoPoint subPoint;
};

inline std::string ReferenceScript() { return std::string(SORAE_TEST_SOURCE_DIR) + "/sgp4_reference.py"; }
inline std::string GeoDataFile(const char* name) { return std::string(SORAE_TEST_DATA_DIR) + "/" + name; }

// Empty when python3-sgp4 cannot be run.
inline std::vector<ReferenceSample> ReferenceSamples(const std::string& satellite, double startUnix,
                                                     double stepSeconds, int count) {
    const std::string command = "/usr/bin/python3 " + ReferenceScript() + " " +
                                GeoDataFile("noaa_2019-05-21.txt") + " '" + satellite + "' " +
                                std::to_string(startUnix) + " " + std::to_string(stepSeconds) + " " +
                                std::to_string(count) + " 2>/dev/null";
    std::vector<ReferenceSample> out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    ReferenceSample s;
    auto& p = s.state.positionKm;
    auto& v = s.state.velocityKmPerS;
    while (std::fscanf(pipe, "%lf %lf %lf %lf %lf %lf %lf %lf %lf", &s.unix, &p[0], &p[1], &p[2], &v[0],
                       &v[1], &v[2], &s.subPoint.latitudeDeg, &s.subPoint.longitudeDeg) == 9)
        out.push_back(s);
    pclose(pipe);
    return out;
}

// Cubic Hermite interpolation of positions (with the velocities as slopes).
inline OrbitAtTime InterpolatedOrbit(std::vector<ReferenceSample> samples) {
    return [samples = std::move(samples)](double t) -> std::optional<InertialState> {
        if (samples.size() < 2) return std::nullopt;
        const double step = samples[1].unix - samples[0].unix;
        const double x = (t - samples[0].unix) / step;
        const int k = static_cast<int>(std::floor(x));
        if (k < 0 || k + 1 >= static_cast<int>(samples.size())) return std::nullopt;
        const double u = x - k;
        const auto& a = samples[k].state;
        const auto& b = samples[k + 1].state;
        const double h00 = 2 * u * u * u - 3 * u * u + 1, h10 = u * u * u - 2 * u * u + u;
        const double h01 = -2 * u * u * u + 3 * u * u, h11 = u * u * u - u * u;
        const double d00 = (6 * u * u - 6 * u) / step, d10 = 3 * u * u - 4 * u + 1;
        const double d01 = (-6 * u * u + 6 * u) / step, d11 = 3 * u * u - 2 * u;
        InertialState s;
        for (int i = 0; i < 3; ++i) {
            s.positionKm[i] = h00 * a.positionKm[i] + h10 * step * a.velocityKmPerS[i] +
                              h01 * b.positionKm[i] + h11 * step * b.velocityKmPerS[i];
            s.velocityKmPerS[i] = d00 * a.positionKm[i] + d10 * a.velocityKmPerS[i] +
                                  d01 * b.positionKm[i] + d11 * b.velocityKmPerS[i];
        }
        return s;
    };
}

// Great-circle distance on a sphere of mean radius, km.
inline double SurfaceKm(GeoPoint a, GeoPoint b) {
    const double r = M_PI / 180.0;
    const double s = std::sin((b.latitudeDeg - a.latitudeDeg) * r / 2);
    const double t = std::sin((b.longitudeDeg - a.longitudeDeg) * r / 2);
    const double h = s * s + std::cos(a.latitudeDeg * r) * std::cos(b.latitudeDeg * r) * t * t;
    return 2 * 6371.0 * std::asin(std::min(1.0, std::sqrt(h)));
}

// Times of `rows` picture rows two a second from `startUnix`, in the order
// the saved picture holds them.
inline std::vector<double> RowTimes(double startUnix, int rows, bool turned) {
    std::vector<double> t(rows);
    for (int r = 0; r < rows; ++r) t[r] = startUnix + 0.5 * (turned ? rows - 1 - r : r);
    return t;
}

// What a shell command prints (standard output), for the independent readers.
inline std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// 150 s before the track first passes its northernmost point above 70 N
// (`overPole`) or first crosses the antimeridian; 0 when the samples hold neither.
inline double StartBefore(const std::vector<ReferenceSample>& samples, bool overPole) {
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const GeoPoint a = samples[i - 1].subPoint, b = samples[i].subPoint;
        const bool found = overPole ? (b.latitudeDeg < a.latitudeDeg && a.latitudeDeg > 70)
                                    : std::abs(b.longitudeDeg - a.longitudeDeg) > 300;
        if (found) return samples[i].unix - 150;
    }
    return 0;
}

}  // namespace sorae::test
