#include "map/globe_clipping.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace sorae {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
// The rim is drawn as chords of 2 degrees: less than 0.05 pixel off the
// circle on a disk of radius 288.
constexpr double kRimStep = kTwoPi / 180.0;
// Rim angles closer than this are one point (far below a pixel).
constexpr double kSamePoint = 1.0e-9;

// Twice the signed area on the longitude/latitude plane: positive when the
// ring runs counterclockwise (east, then north).
double SignedArea(const std::vector<GeoVertex>& ring) {
    double sum = 0.0;
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        const GeoVertex& a = ring[i];
        const GeoVertex& b = ring[(i + 1) % n];
        sum += a.longitude * b.latitude - b.longitude * a.latitude;
    }
    return sum;
}

GlobePoint Pixel(const MapProjection& p, double x4, double y4) {
    const double r = p.GlobeRadius;
    const double k = p.GlobeScale;
    return {r + r * k * x4 + p.GlobeLeft, r + r * k * y4 + p.GlobeTop};
}

// Angles on the rim run counterclockwise as seen on the screen: 0 is east
// of the centre, pi/2 north of it.
GlobePoint RimPixel(const MapProjection& p, double angle) {
    return Pixel(p, std::cos(angle), -std::sin(angle));
}

double RimAngle(const GlobeVector& v) { return std::atan2(-v.y, v.x); }

double CounterclockwiseDistance(double from, double to) {
    double d = std::fmod(to - from, kTwoPi);
    if (d < 0.0) d += kTwoPi;
    return d;
}

// Where the straight edge between a visible and a hidden vertex meets the
// horizon plane.
GlobeVector Crossing(const GlobeVector& a, const GlobeVector& b) {
    const double t = a.z / (a.z - b.z);
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), 0.0};
}

// The rim points strictly between two angles, counterclockwise.
void AppendRim(const MapProjection& p, double from, double to, ClippedRing& out) {
    double d = CounterclockwiseDistance(from, to);
    if (d < kSamePoint) d += kTwoPi;
    const int steps = static_cast<int>(std::ceil(d / kRimStep));
    for (int i = 1; i < steps; ++i) {
        out.points.push_back(RimPixel(p, from + d * i / steps));
        out.outlined.push_back(false);
    }
}

ClippedRing WholeDisk(const MapProjection& p) {
    ClippedRing disk;
    const int steps = static_cast<int>(std::lround(kTwoPi / kRimStep));
    for (int i = 0; i < steps; ++i) {
        disk.points.push_back(RimPixel(p, kTwoPi * i / steps));
        disk.outlined.push_back(false);
    }
    return disk;
}

// A run of the ring on the visible side, from where it comes over the
// horizon to where it goes back.
struct VisibleStretch {
    ClippedRing part;  // part.outlined has one flag less than points
    double entry = 0.0;
    double exit = 0.0;
};

bool EdgeOutlined(const std::vector<bool>& outlined, std::size_t i) {
    return i >= outlined.size() || outlined[i];
}

}  // namespace

bool RingContains(const std::vector<GeoVertex>& ring, double latitude, double longitude) {
    bool inside = false;
    const std::size_t n = ring.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const GeoVertex& a = ring[i];
        const GeoVertex& b = ring[j];
        if ((a.latitude > latitude) != (b.latitude > latitude)) {
            const double lon = a.longitude + (latitude - a.latitude) * (b.longitude - a.longitude) /
                                                 (b.latitude - a.latitude);
            if (longitude < lon) inside = !inside;
        }
    }
    return inside;
}

std::vector<ClippedRing> ClipRingToGlobe(const MapProjection& projection,
                                         const std::vector<GeoVertex>& ring,
                                         const std::vector<bool>& outlined) {
    std::vector<ClippedRing> result;
    const std::size_t n = ring.size();
    if (n == 0) return result;

    // Work on the ring running counterclockwise on the plane, so that its
    // inside lies to its left; on the disk (east right, north up) it then
    // lies to the left as well.
    const bool forward = SignedArea(ring) >= 0.0;
    std::vector<GlobeVector> v(n);
    std::vector<bool> coast(n);
    std::size_t firstHidden = n;
    std::size_t visibleCount = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const GeoVertex& g = ring[forward ? i : n - 1 - i];
        v[i] = RotateOntoGlobe(projection, g.latitude, g.longitude);
        // The reversed ring's edge i is the original edge n-2-i, backwards.
        coast[i] = EdgeOutlined(outlined, forward ? i : (2 * n - 2 - i) % n);
        if (v[i].z >= 0.0)
            ++visibleCount;
        else if (firstHidden == n)
            firstHidden = i;
    }

    if (visibleCount == n) {
        ClippedRing whole;
        double area = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            whole.points.push_back(Pixel(projection, v[i].x, v[i].y));
            const GlobeVector& b = v[(i + 1) % n];
            area += v[i].x * -b.y - b.x * -v[i].y;
        }
        whole.outlined = coast;
        // Clockwise on the disk: the inside is everything around the ring.
        if (area < 0.0) result.push_back(WholeDisk(projection));
        result.push_back(std::move(whole));
        return result;
    }
    if (visibleCount == 0) {
        // The visible side touches no edge, so it lies wholly inside or
        // wholly outside; the station at the disk's centre tells which.
        const double stationLongitude = std::remainder(projection.CentreLongitude, 360.0);
        if (RingContains(ring, projection.TiltAngle, stationLongitude))
            result.push_back(WholeDisk(projection));
        return result;
    }

    // Starting at a hidden vertex, every stretch is opened before it closes.
    std::vector<VisibleStretch> stretches;
    for (std::size_t s = 0; s < n; ++s) {
        const std::size_t a = (firstHidden + s) % n;
        const std::size_t b = (a + 1) % n;
        const bool va = v[a].z >= 0.0;
        const bool vb = v[b].z >= 0.0;
        if (!va && !vb) continue;
        if (!va) {
            VisibleStretch& st = stretches.emplace_back();
            st.entry = RimAngle(Crossing(v[b], v[a]));
            st.part.points.push_back(RimPixel(projection, st.entry));
            st.part.outlined.push_back(coast[a]);
            st.part.points.push_back(Pixel(projection, v[b].x, v[b].y));
        } else if (vb) {
            VisibleStretch& st = stretches.back();
            st.part.outlined.push_back(coast[a]);
            st.part.points.push_back(Pixel(projection, v[b].x, v[b].y));
        } else {
            VisibleStretch& st = stretches.back();
            st.exit = RimAngle(Crossing(v[a], v[b]));
            st.part.outlined.push_back(coast[a]);
            st.part.points.push_back(RimPixel(projection, st.exit));
        }
    }

    // Where the ring leaves the disk, the inside continues counterclockwise
    // along the rim up to the next place where the ring comes back. A ring
    // cut along the 180th meridian runs down one side of the cut and up the
    // other, which are the same line on the globe: where the horizon crosses
    // the cut, the ring leaves and comes back at the same point, with land
    // on both sides. Such a return counts as a full turn away, so the rim
    // beside the cut is kept.
    const std::size_t m = stretches.size();
    std::vector<std::size_t> next(m, 0);
    for (std::size_t k = 0; k < m; ++k) {
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t j = 0; j < m; ++j) {
            double d = CounterclockwiseDistance(stretches[k].exit, stretches[j].entry);
            if (d < kSamePoint) d += kTwoPi;
            if (d < best) {
                best = d;
                next[k] = j;
            }
        }
    }
    std::vector<bool> used(m, false);
    for (std::size_t start = 0; start < m; ++start) {
        if (used[start]) continue;
        ClippedRing out;
        std::size_t k = start;
        for (;;) {
            used[k] = true;
            const VisibleStretch& st = stretches[k];
            out.points.insert(out.points.end(), st.part.points.begin(), st.part.points.end());
            out.outlined.insert(out.outlined.end(), st.part.outlined.begin(),
                                st.part.outlined.end());
            out.outlined.push_back(false);  // from the exit along the rim
            const std::size_t j = next[k];
            AppendRim(projection, st.exit, stretches[j].entry, out);
            // A ring that touches itself could lead back into a stretch
            // already taken; the piece is closed there.
            if (j == start || used[j]) break;
            k = j;
        }
        if (out.points.size() >= 3) result.push_back(std::move(out));
    }
    return result;
}

}  // namespace sorae
