// The projection shared by every map drawing: an equirectangular world map
// (flat mode) or an orthographic globe centred on the station (globe mode).
// Turns latitude/longitude pairs into pixel positions; all pixel numbers
// are truncated toward zero.
#pragma once

#include <cstdint>

namespace sorae {

struct MapProjection {
    bool GlobeMode = false;
    double CentreLongitude = 0.0;  // degrees: the station's longitude
    double CentreLatitude = 0.0;   // always 0
    double TiltAngle = 0.0;        // degrees: the station's latitude
    double RollAngle = 0.0;        // always 0
    double PixelsPerDegreeX = 1.0;
    double PixelsPerDegreeY = 1.0;
    double LeftLongitude = 0.0;  // longitude at pixel column 0 of the flat map
    double TopLatitude = 90.0;   // latitude at pixel row 0 of the flat map
    double GlobeRadius = 288.0;  // pixels
    double GlobeScale = 1.0;
    std::int32_t GlobeLeft = 0;
    std::int32_t GlobeTop = 0;
};

// The globe view is always laid out on a canvas of this size.
inline constexpr int kGlobeCanvasWidth = 1040;
inline constexpr int kGlobeCanvasHeight = 640;

struct ProjectedPoint {
    int x = 0;
    int y = 0;
    bool visible = false;
};

// The station in degrees, the mode, and the size of the base-map bitmap.
struct ProjectionInputs {
    double stationLatitude = 0.0;   // Sat/LocateN
    double stationLongitude = 0.0;  // Sat/LocateE
    bool passMode = false;          // MapPassMode: globe while a pass is received
    int width = 0;
    int height = 0;
};

MapProjection SetUpProjection(const ProjectionInputs& in);

// The rotated unit vector of a point: X4 east, Y4 south, Z3 toward the viewer.
struct GlobeVector {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
GlobeVector RotateOntoGlobe(const MapProjection& p, double latitude, double longitude);

// Pixel position of a station, track point or mark. width/height are those of
// the bitmap drawn on (they bound the flat-mode visibility test).
ProjectedPoint ProjectPoint(const MapProjection& p, int width, int height, double latitude,
                            double longitude);

// Pixel position of a vertex of the map file. In flat mode the first call
// brings LeftLongitude into [-180, ...) by raising it once by 360 (stored).
// shifted places the vertex in the second copy of the world, 360 deg east.
ProjectedPoint ProjectMapVertex(MapProjection& p, double latitude, double longitude,
                                bool shifted);

// One straight map segment in pixels; drawn is false when it must be left out
// (globe mode with an end on the far side).
struct PixelSegment {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool drawn = false;
};

// Projects the segment between two points. A pair that spans more than 180
// degrees of longitude is taken across the date line: its negative
// longitudes are raised by 360 in the caller's arrays.
PixelSegment MapSegmentPixels(const MapProjection& p, double latitudes[2], double longitudes[2]);

// Conversion of a coordinate to a pixel number: truncation toward zero,
// clamped so that absurd input never overflows an int.
int TruncToPixel(double v);

}  // namespace sorae
