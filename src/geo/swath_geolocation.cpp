#include "geo/swath_geolocation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geo/apt_scan_angles.h"
#include "geo/earth_model.h"
#include "orbit/sidereal_angle.h"

namespace sorae {

namespace {
constexpr double kRadPerDeg = 1.0 / kDegPerRad;
constexpr int kGridColumnStep = 8;
constexpr int kGridRowStep = 16;
// Rows further apart in time than this have sound lost between them (a
// line lasts half a second): nothing is drawn or interpolated across.
constexpr double kBreakSeconds = 1.0;

// The scan of one picture row in the inertial frame: the satellite, the
// centre line of the scan (D), its left-hand direction (L), the normal of the
// scan plane, and the Earth's rotation angle at that moment.
struct RowFrame {
    Vec3 satellite{};
    Vec3 down{};
    Vec3 left{};
    Vec3 normal{};
    double sidereal = 0.0;
};

RowFrame Blend(const RowFrame& a, const RowFrame& b, double f) {
    RowFrame r;
    r.satellite = a.satellite + f * (b.satellite - a.satellite);
    r.down = Normalised(a.down + f * (b.down - a.down));
    r.left = Normalised(a.left + f * (b.left - a.left));
    r.normal = Normalised(a.normal + f * (b.normal - a.normal));
    double ds = b.sidereal - a.sidereal;
    if (ds > M_PI) ds -= 2.0 * M_PI;
    if (ds < -M_PI) ds += 2.0 * M_PI;
    r.sidereal = a.sidereal + f * ds;
    return r;
}

GeoPoint ToGeoPoint(const Vec3& earthFixed) {
    const Geodetic g = CartesianToGeodetic(earthFixed);
    double lon = g.longitudeRad * kDegPerRad;
    if (lon <= -180.0) lon += 360.0;
    if (lon > 180.0) lon -= 360.0;
    return GeoPoint{g.latitudeRad * kDegPerRad, lon};
}

// NaN entries between known times are interpolated between their nearest
// known neighbours; those before the first or after the last known time
// follow the pass's line rate from it (the median step of the known rows,
// which a gap in the recording does not pull), and so do those between
// neighbours that sound was lost between, each from the nearer one.
bool FillTimes(std::vector<double>& times, std::string* error) {
    auto fail = [&](const char* text) {
        if (error) *error = text;
        return false;
    };
    std::vector<std::size_t> known;
    for (std::size_t i = 0; i < times.size(); ++i)
        if (std::isfinite(times[i])) known.push_back(i);
    if (known.size() < 2) return fail("fewer than two picture rows have a time");
    std::vector<double> steps;
    for (std::size_t k = 1; k < known.size(); ++k)
        steps.push_back((times[known[k]] - times[known[k - 1]]) / double(known[k] - known[k - 1]));
    std::nth_element(steps.begin(), steps.begin() + long(steps.size() / 2), steps.end());
    const double slope = steps[steps.size() / 2];
    if (!(std::abs(slope) > 1e-3)) return fail("the row times do not advance");
    for (std::size_t i = 0; i < known.front(); ++i)
        times[i] = times[known.front()] - slope * double(known.front() - i);
    for (std::size_t i = known.back() + 1; i < times.size(); ++i)
        times[i] = times[known.back()] + slope * double(i - known.back());
    for (std::size_t k = 1; k < known.size(); ++k) {
        const std::size_t a = known[k - 1], b = known[k];
        const double span = times[b] - times[a];
        const bool lost = std::abs(span - slope * double(b - a)) > kBreakSeconds;
        for (std::size_t i = a + 1; i < b; ++i) {
            if (!lost) times[i] = times[a] + span * double(i - a) / double(b - a);
            else if (i - a <= b - i) times[i] = times[a] + slope * double(i - a);
            else times[i] = times[b] - slope * double(b - i);
        }
    }
    return true;
}

}  // namespace

struct SwathGeolocation::Impl {
    std::vector<RowFrame> frames;  // one per saved row
    bool turned = false;
    double wordLead = 0.0;
    double rollRad = 0.0;
    int gridColumns = 0;
    int gridRows = 0;
    std::vector<int> gridColumnAt;  // picture column of each grid column
    std::vector<int> gridRowAt;
    std::vector<Vec3> nodes;        // earth-fixed ground points, NaN where missed
    std::vector<int> breaks;        // rows after which sound was lost (sorted)

    int rows() const { return static_cast<int>(frames.size()); }
    bool breakAfter(int row) const { return std::binary_search(breaks.begin(), breaks.end(), row); }

    // The scan at a fractional row. Next to a break a row is carried on
    // from its own side (up to half a row), not blended with the row beyond.
    RowFrame frameAt(double row) const {
        const int last = rows() - 1;
        if (last == 0) return frames[0];
        int k = static_cast<int>(std::floor(row));
        k = std::clamp(k, 0, last - 1);
        if (breakAfter(k)) {
            if (row - k < 0.5) return k > 0 && !breakAfter(k - 1) ? Blend(frames[k - 1], frames[k], 1.0 + (row - k)) : frames[k];
            return k + 1 < last && !breakAfter(k + 1) ? Blend(frames[k + 1], frames[k + 2], row - (k + 1)) : frames[k + 1];
        }
        return Blend(frames[k], frames[k + 1], row - k);
    }

    // Where along the scan the satellite sent what a picture column shows.
    double scanColumn(double column) const {
        return (turned ? (kImageWords - 1) - column : column) + wordLead;
    }

    std::optional<Vec3> exactEarthFixed(double column, double row) const {
        const RowFrame f = frameAt(row);
        const double theta = AptScanAngles::instance().angleAt(scanColumn(column)) + rollRad;
        const Vec3 look = std::cos(theta) * f.down + std::sin(theta) * f.left;
        const auto t = EllipsoidHit(f.satellite, look);
        if (!t) return std::nullopt;
        return RotateZ(f.satellite + *t * look, -f.sidereal);
    }

    // Signed distance of an earth-fixed place from the scan plane of a row.
    double planeDistance(const Vec3& place, int row) const {
        const RowFrame& f = frames[row];
        return Dot(RotateZ(place, f.sidereal) - f.satellite, f.normal);
    }

    static int gridIndex(const std::vector<int>& at, double pos) {
        auto it = std::upper_bound(at.begin(), at.end(), static_cast<int>(std::floor(pos)));
        int k = static_cast<int>(it - at.begin()) - 1;
        return std::clamp(k, 0, static_cast<int>(at.size()) - 2);
    }
};

SwathGeolocation::SwathGeolocation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SwathGeolocation::SwathGeolocation(const SwathGeolocation& o) : impl_(std::make_unique<Impl>(*o.impl_)) {}
SwathGeolocation::SwathGeolocation(SwathGeolocation&&) noexcept = default;
SwathGeolocation& SwathGeolocation::operator=(const SwathGeolocation& o) {
    if (this != &o) impl_ = std::make_unique<Impl>(*o.impl_);
    return *this;
}
SwathGeolocation& SwathGeolocation::operator=(SwathGeolocation&&) noexcept = default;
SwathGeolocation::~SwathGeolocation() = default;

int ImageAreaFirstColumn(bool turned) { return turned ? 1040 - 86 - kImageWords : 86; }

std::optional<SwathGeolocation> SwathGeolocation::build(const SwathInputs& in, std::string* error) {
    auto fail = [&](const std::string& text) -> std::optional<SwathGeolocation> {
        if (error) *error = text;
        return std::nullopt;
    };
    if (!in.orbit) return fail("no orbit");
    std::vector<double> times = in.rowUnixSeconds;
    if (!FillTimes(times, error)) return std::nullopt;

    auto impl = std::make_unique<Impl>();
    impl->turned = in.turned;
    impl->wordLead = in.wordLeadWords;
    impl->rollRad = in.offsets.rollDeg * kRadPerDeg;
    const double pitch = in.offsets.pitchDeg * kRadPerDeg;
    const double yaw = in.offsets.yawDeg * kRadPerDeg;
    impl->frames.reserve(times.size());
    for (double rowTime : times) {
        const double t = rowTime + in.offsets.timeSeconds;
        const auto state = in.orbit(t);
        if (!state) return fail("the orbit cannot be computed for the time of the pass");
        const Vec3 s = state->positionKm;
        const Vec3 v = state->velocityKmPerS;
        if (!(Norm(s) > kWgs84A) || !(Norm(v) > 0.0))
            return fail("the orbit gives no position above the Earth");
        // The scan plane holds the geodetic nadir and is square to the
        // satellite's inertial velocity.
        const Vec3 down = Normalised(GeodeticNadir(s) - s);
        const Vec3 left = Normalised(Cross(v, down));
        const Vec3 forward = Cross(down, left);
        // attitude: yaw turns the left end of the scan forward, pitch tilts
        // the scan forward; roll is an added scan angle
        const Vec3 yawedLeft = std::cos(yaw) * left + std::sin(yaw) * forward;
        const Vec3 yawedForward = std::cos(yaw) * forward - std::sin(yaw) * left;
        RowFrame f;
        f.satellite = s;
        f.down = Normalised(std::cos(pitch) * down + std::sin(pitch) * yawedForward);
        f.left = yawedLeft;
        f.normal = Normalised(Cross(f.down, f.left));
        f.sidereal = GreenwichMeanSiderealAngle(t);
        impl->frames.push_back(f);
    }

    const int rows = impl->rows();
    for (int k = 0; k + 1 < rows; ++k)
        if (std::abs(times[std::size_t(k) + 1] - times[std::size_t(k)]) > kBreakSeconds) impl->breaks.push_back(k);

    // control points; the rows on either side of a break among them, so
    // that no control cell spans it
    for (int c = 0; c < kImageWords - 1; c += kGridColumnStep) impl->gridColumnAt.push_back(c);
    impl->gridColumnAt.push_back(kImageWords - 1);
    for (int r = 0; r < rows - 1; r += kGridRowStep) impl->gridRowAt.push_back(r);
    impl->gridRowAt.push_back(rows - 1);
    if (rows == 1) impl->gridRowAt.push_back(0);
    for (int k : impl->breaks) impl->gridRowAt.insert(impl->gridRowAt.end(), {k, k + 1});
    std::sort(impl->gridRowAt.begin(), impl->gridRowAt.end());
    if (rows > 1)
        impl->gridRowAt.erase(std::unique(impl->gridRowAt.begin(), impl->gridRowAt.end()), impl->gridRowAt.end());
    impl->gridColumns = static_cast<int>(impl->gridColumnAt.size());
    impl->gridRows = static_cast<int>(impl->gridRowAt.size());
    impl->nodes.reserve(std::size_t(impl->gridColumns) * impl->gridRows);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (int r : impl->gridRowAt)
        for (int c : impl->gridColumnAt)
            impl->nodes.push_back(impl->exactEarthFixed(c, r).value_or(Vec3{nan, nan, nan}));
    return SwathGeolocation(std::move(impl));
}

int SwathGeolocation::rows() const { return impl_->rows(); }

const std::vector<int>& SwathGeolocation::breaksAfter() const { return impl_->breaks; }

bool SwathGeolocation::spansBreak(double row0, double row1) const {
    // a break after row k lies at k + 1/2, between the rows' pixels
    const auto& b = impl_->breaks;
    const auto it = std::lower_bound(b.begin(), b.end(), static_cast<int>(std::floor(row0 - 0.5)) + 1);
    return it != b.end() && *it + 0.5 < row1;
}

std::optional<GeoPoint> SwathGeolocation::exactGroundPoint(PicturePoint p) const {
    if (!(p.column >= -0.5 && p.column <= kImageWords - 0.5 && p.row >= -0.5 &&
          p.row <= rows() - 0.5))
        return std::nullopt;
    const auto e = impl_->exactEarthFixed(p.column, p.row);
    if (!e) return std::nullopt;
    return ToGeoPoint(*e);
}

std::optional<GeoPoint> SwathGeolocation::groundPoint(PicturePoint p) const {
    if (!(p.column >= -0.5 && p.column <= kImageWords - 0.5 && p.row >= -0.5 &&
          p.row <= rows() - 0.5))
        return std::nullopt;
    const Impl& m = *impl_;
    const int gc = Impl::gridIndex(m.gridColumnAt, p.column);
    const int gr = Impl::gridIndex(m.gridRowAt, p.row);
    const double c0 = m.gridColumnAt[gc], c1 = m.gridColumnAt[gc + 1];
    const double r0 = m.gridRowAt[gr], r1 = m.gridRowAt[gr + 1];
    const double fc = (p.column - c0) / (c1 - c0);
    // across a break: each side's own scan, carried on half a row
    if (m.breakAfter(int(r0)) && r1 == r0 + 1) return exactGroundPoint(p);
    const double fr = r1 > r0 ? (p.row - r0) / (r1 - r0) : 0.0;
    const Vec3& a = m.nodes[std::size_t(gr) * m.gridColumns + gc];
    const Vec3& b = m.nodes[std::size_t(gr) * m.gridColumns + gc + 1];
    const Vec3& c = m.nodes[std::size_t(gr + 1) * m.gridColumns + gc];
    const Vec3& d = m.nodes[std::size_t(gr + 1) * m.gridColumns + gc + 1];
    const Vec3 top = a + fc * (b - a);
    const Vec3 bottom = c + fc * (d - c);
    const Vec3 e = top + fr * (bottom - top);
    if (!std::isfinite(e[0])) return exactGroundPoint(p);
    return ToGeoPoint(e);
}

std::optional<PicturePoint> SwathGeolocation::picturePoint(GeoPoint place) const {
    const Impl& m = *impl_;
    if (!(std::abs(place.latitudeDeg) <= 90.0) || !std::isfinite(place.longitudeDeg))
        return std::nullopt;
    const Vec3 p = GeodeticToCartesian(
        Geodetic{place.latitudeDeg * kRadPerDeg, place.longitudeDeg * kRadPerDeg, 0.0});
    const int last = rows() - 1;
    double row = 0.0;
    if (last == 0) {
        row = 0.0;
    } else {
        int lo = 0, hi = last;
        double glo = m.planeDistance(p, lo), ghi = m.planeDistance(p, hi);
        if ((glo > 0) == (ghi > 0)) {
            // beyond either end: carry the nearer end's slope on
            const bool nearFirst = std::abs(glo) < std::abs(ghi);
            const int k = nearFirst ? 0 : last - 1;
            const double g0 = m.planeDistance(p, k), g1 = m.planeDistance(p, k + 1);
            if (g0 == g1) return std::nullopt;
            row = k + g0 / (g0 - g1);
        } else {
            while (hi - lo > 1) {
                const int mid = (lo + hi) / 2;
                const double g = m.planeDistance(p, mid);
                if ((g > 0) == (glo > 0)) { lo = mid; glo = g; } else { hi = mid; ghi = g; }
            }
            row = lo + glo / (glo - ghi);
            if (m.breakAfter(lo)) {
                // Between the rows either side of lost sound: the place is
                // shown only within half a row of one of them, at the
                // spacing of that side's own rows.
                row = std::numeric_limits<double>::quiet_NaN();
                if (lo > 0 && !m.breakAfter(lo - 1)) {
                    const double step = glo - m.planeDistance(p, lo - 1);
                    if (step != 0.0 && -glo / step <= 0.5) row = lo - glo / step;
                }
                if (!std::isfinite(row) && hi < last && !m.breakAfter(hi)) {
                    const double step = m.planeDistance(p, hi + 1) - ghi;
                    if (step != 0.0 && -ghi / step >= -0.5) row = hi - ghi / step;
                }
                if (!std::isfinite(row)) return std::nullopt;
            }
        }
    }
    if (!(row >= -0.5 && row <= last + 0.5)) return std::nullopt;
    const RowFrame f = m.frameAt(row);
    const Vec3 q = RotateZ(p, f.sidereal) - f.satellite;
    const double along = Dot(q, f.down);
    if (along <= 0.0) return std::nullopt;
    // hidden behind the Earth's limb: the line of sight meets the ground first
    const double range = Norm(q);
    const auto hit = EllipsoidHit(f.satellite, (1.0 / range) * q);
    if (!hit || *hit < range - 1.0) return std::nullopt;
    const double theta = std::atan2(Dot(q, f.left), along) - m.rollRad;
    const double scanColumn = AptScanAngles::instance().columnOf(theta) - m.wordLead;
    const double column = m.turned ? (kImageWords - 1) - scanColumn : scanColumn;
    if (!(column >= -0.5 && column <= kImageWords - 0.5)) return std::nullopt;
    return PicturePoint{column, row};
}

std::optional<GeoPoint> SwathGeolocation::subSatellitePoint(double row) const {
    if (!(row >= -0.5 && row <= rows() - 0.5)) return std::nullopt;
    const RowFrame f = impl_->frameAt(row);
    return ToGeoPoint(RotateZ(GeodeticNadir(f.satellite), -f.sidereal));
}

}  // namespace sorae
