#include "map/map_projection.h"

#include <cmath>

namespace sorae {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kDegToRad = kPi * (1.0 / 180.0);
}  // namespace

int TruncToPixel(double v) {
    if (!(v == v)) return -1000000000;  // NaN: far off any bitmap
    if (v > 1.0e9) return 1000000000;
    if (v < -1.0e9) return -1000000000;
    return static_cast<int>(v);
}

MapProjection SetUpProjection(const ProjectionInputs& in) {
    MapProjection p;
    p.CentreLongitude = in.stationLongitude;
    p.CentreLatitude = 0.0;
    p.TiltAngle = in.stationLatitude;
    p.RollAngle = 0.0;
    p.GlobeScale = 1.0;
    if (in.passMode) {
        p.PixelsPerDegreeX = 2.888888888888889;
        p.PixelsPerDegreeY = 3.5555555555555554;
        p.LeftLongitude = p.CentreLongitude - 520.0 / p.PixelsPerDegreeX;
        p.TopLatitude = 320.0 / p.PixelsPerDegreeY + p.CentreLatitude;
        p.GlobeRadius = 288.0;
        p.GlobeLeft = (kGlobeCanvasWidth - TruncToPixel(2.0 * p.GlobeRadius)) / 2;
        p.GlobeTop = (kGlobeCanvasHeight - TruncToPixel(2.0 * p.GlobeRadius)) / 2;
        p.GlobeMode = true;
        return p;
    }
    const int w = in.width;
    const int h = in.height;
    p.PixelsPerDegreeX = w * (1.0 / 360.0);
    p.PixelsPerDegreeY = h * (1.0 / 180.0);
    // A zero-sized bitmap would divide by zero below; keep the scale finite.
    if (p.PixelsPerDegreeX <= 0.0) p.PixelsPerDegreeX = 1.0 / 360.0;
    if (p.PixelsPerDegreeY <= 0.0) p.PixelsPerDegreeY = 1.0 / 180.0;
    p.LeftLongitude = p.CentreLongitude - (w / 2) / p.PixelsPerDegreeX;
    p.TopLatitude = p.CentreLatitude + (h / 2) / p.PixelsPerDegreeY;
    p.GlobeRadius = (h / 2) * 0.9;
    p.GlobeLeft = (w - TruncToPixel(2.0 * p.GlobeRadius)) / 2;
    p.GlobeTop = (h - TruncToPixel(2.0 * p.GlobeRadius)) / 2;
    p.GlobeMode = false;
    return p;
}

GlobeVector RotateOntoGlobe(const MapProjection& p, double latitude, double longitude) {
    const double phi = latitude * kDegToRad;
    const double lambda = longitude * kDegToRad;
    const double a = p.CentreLongitude * kDegToRad;
    const double b = p.TiltAngle * kDegToRad;
    const double c = p.RollAngle * kDegToRad;

    const double x1 = std::cos(phi) * std::sin(lambda);
    const double y1 = -std::sin(phi);
    const double z1 = std::cos(phi) * std::cos(lambda);

    const double x2 = std::cos(a) * x1 - std::sin(a) * z1;
    const double y2 = y1;
    const double z2 = std::sin(a) * x1 + std::cos(a) * z1;

    const double x3 = x2;
    const double y3 = std::cos(b) * y2 + std::sin(b) * z2;
    const double z3 = -std::sin(b) * y2 + std::cos(b) * z2;

    GlobeVector v;
    v.x = std::cos(c) * x3 + std::sin(c) * y3;
    v.y = -std::sin(c) * x3 + std::cos(c) * y3;
    v.z = z3;
    return v;
}

namespace {

ProjectedPoint GlobePixel(const MapProjection& p, const GlobeVector& v) {
    const double r = p.GlobeRadius;
    const double k = p.GlobeScale;
    ProjectedPoint out;
    out.x = TruncToPixel(r + r * k * v.x) + p.GlobeLeft;
    out.y = TruncToPixel(r + r * k * v.y) + p.GlobeTop;
    out.visible = v.z >= 0.0;
    return out;
}

}  // namespace

ProjectedPoint ProjectPoint(const MapProjection& p, int width, int height, double latitude,
                            double longitude) {
    if (p.GlobeMode) return GlobePixel(p, RotateOntoGlobe(p, latitude, longitude));
    double d = longitude - p.LeftLongitude;
    if (d > 360.0) d -= 360.0;
    if (d < 0.0) d += 360.0;
    ProjectedPoint out;
    out.x = TruncToPixel(d * p.PixelsPerDegreeX);
    out.y = TruncToPixel((p.TopLatitude - latitude) * p.PixelsPerDegreeY);
    out.visible = out.x >= -500 && out.x <= width + 500 && out.y >= -500 && out.y <= height + 500;
    return out;
}

ProjectedPoint ProjectMapVertex(MapProjection& p, double latitude, double longitude,
                                bool shifted) {
    if (!p.GlobeMode) {
        if (p.LeftLongitude < -180.0) p.LeftLongitude += 360.0;
        ProjectedPoint out;
        const double shift = shifted ? 360.0 : 0.0;
        out.x = TruncToPixel((longitude - p.LeftLongitude + shift) * p.PixelsPerDegreeX);
        out.y = TruncToPixel((p.TopLatitude - latitude) * p.PixelsPerDegreeY);
        out.visible = true;
        return out;
    }
    const GlobeVector v = RotateOntoGlobe(p, latitude, longitude);
    if (v.z >= 0.0) return GlobePixel(p, v);
    // Beyond the horizon: pull the vertex onto the rim so that land reaching
    // over the edge is closed along it.
    const double theta = (v.x == 0.0 && v.y == 0.0) ? 0.0 : std::atan2(v.y, v.x);
    const double r = p.GlobeRadius;
    const double k = p.GlobeScale;
    ProjectedPoint out;
    out.x = TruncToPixel(r * k * std::cos(theta) + r) + p.GlobeLeft;
    out.y = TruncToPixel(r * k * std::sin(theta) + r) + p.GlobeTop;
    out.visible = false;
    return out;
}

PixelSegment MapSegmentPixels(const MapProjection& p, double latitudes[2], double longitudes[2]) {
    const double span = longitudes[0] - longitudes[1];
    if (std::abs(TruncToPixel(span)) > 180) {
        for (int i = 0; i < 2; ++i)
            if (longitudes[i] < 0.0) longitudes[i] += 360.0;
    }
    PixelSegment s;
    if (p.GlobeMode) {
        int xs[2];
        int ys[2];
        for (int i = 0; i < 2; ++i) {
            const GlobeVector v = RotateOntoGlobe(p, latitudes[i], longitudes[i]);
            if (v.z >= 0.0) {
                const ProjectedPoint q = GlobePixel(p, v);
                xs[i] = q.x;
                ys[i] = q.y;
            } else {
                xs[i] = ys[i] = -10000;
            }
        }
        s = {xs[0], ys[0], xs[1], ys[1], xs[0] > -500 && xs[1] > -500};
        return s;
    }
    double d0 = longitudes[0] - p.LeftLongitude;
    const double d1 = longitudes[1] - p.LeftLongitude;
    double shift = 0.0;
    if (d0 > 360.0) {
        d0 -= 360.0;
        shift = -360.0;
    } else if (d0 < 0.0 && d1 < 0.0) {
        d0 += 360.0;
        shift = 360.0;
    }
    s.x0 = TruncToPixel(d0 * p.PixelsPerDegreeX);
    s.y0 = TruncToPixel((p.TopLatitude - latitudes[0]) * p.PixelsPerDegreeY);
    s.x1 = TruncToPixel((d1 + shift) * p.PixelsPerDegreeX);
    s.y1 = TruncToPixel((p.TopLatitude - latitudes[1]) * p.PixelsPerDegreeY);
    s.drawn = true;
    return s;
}

}  // namespace sorae
