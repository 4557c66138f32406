// Where every pixel of a pass picture lies on Earth, and which pixel shows a
// given place. The exact geometry (orbit, scan plane, WGS84 ellipsoid, Earth
// rotation) is evaluated on a coarse grid of control points; every other
// pixel is interpolated between them, which stays well inside a tenth of a
// pixel of the exact answer.
//
// Coordinates: PicturePoint.column runs over the 909 image words of a channel
// (0 = left edge of the image area as the picture is saved, 908 = right edge;
// the image area starts at column ImageAreaFirstColumn() of the 1040-wide
// channel picture), row is the row of the saved picture. Both are pixel
// centres: column 0.0 is the middle of the first image word.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apt/line_store.h"

namespace sorae {

struct GeoPoint {
    double latitudeDeg = 0.0;   // geodetic, WGS84
    double longitudeDeg = 0.0;  // east positive, in (-180, 180]
};

struct PicturePoint {
    double column = 0.0;
    double row = 0.0;
};


// Column of the 1040-wide channel picture where the image area begins:
// 86 for a picture saved as received, 45 for one turned through 180 degrees
// (sync and space words then sit on the right).
int ImageAreaFirstColumn(bool turned);

// Per-satellite corrections, zero by default: seconds added to every line
// time, and the instrument's attitude in degrees. Roll turns the
// scan towards the satellite's left (positive) or right; pitch tilts it
// forward along the track; yaw turns the scan plane about the nadir.
struct GeoreferenceOffsets {
    double timeSeconds = 0.0;
    double rollDeg = 0.0;
    double pitchDeg = 0.0;
    double yawDeg = 0.0;
};

// Position and velocity in an inertial true-equator, mean-equinox frame
// (km, km/s) at a UTC instant given as Unix seconds.
struct InertialState {
    std::array<double, 3> positionKm{};
    std::array<double, 3> velocityKmPerS{};
};
using OrbitAtTime = std::function<std::optional<InertialState>(double unixSeconds)>;

struct SwathInputs {
    OrbitAtTime orbit;
    // UTC time (Unix seconds) of every row of the saved picture, at the start
    // of that row's scan line. Unknown times (NaN) are interpolated between
    // the known ones around them, and carried on at the line rate beyond.
    std::vector<double> rowUnixSeconds;
    // The picture was saved turned through 180 degrees (south-to-north pass):
    // its columns run opposite to the scan.
    bool turned = false;
    GeoreferenceOffsets offsets;
    // The picture's words lie this fraction of a word ahead of the words as
    // sent, along the scan: kDecodedWordLeadWords for pictures this program
    // decoded, 0 for words placed exactly.
    double wordLeadWords = 0.0;
};

class SwathGeolocation {
public:
    // Nothing (and *error) when the orbit cannot be had for the rows' times,
    // fewer than two row times are known, or the times do not advance.
    static std::optional<SwathGeolocation> build(const SwathInputs& inputs, std::string* error);

    // Ground point of any point of the picture (fractional positions
    // allowed, up to half a pixel beyond the edges); nothing outside.
    std::optional<GeoPoint> groundPoint(PicturePoint point) const;
    // The inverse: nothing for a place the swath does not cover.
    std::optional<PicturePoint> picturePoint(GeoPoint place) const;
    // The exact computation (no interpolation), for checks and control points.
    std::optional<GeoPoint> exactGroundPoint(PicturePoint point) const;

    int rows() const;
    // Rows k after which sound was lost (row k + 1 came more than a second
    // after row k): nothing lies between them on the ground, nothing is
    // drawn across, and a place in between shows in no row.
    const std::vector<int>& breaksAfter() const;
    // Whether a break lies between rows row0 and row1.
    bool spansBreak(double row0, double row1) const;
    // Ground point of the satellite (geodetic nadir) at a picture row.
    std::optional<GeoPoint> subSatellitePoint(double row) const;

    // Internal state shared by the implementation files.
    struct Impl;
    SwathGeolocation(const SwathGeolocation&);
    SwathGeolocation(SwathGeolocation&&) noexcept;
    SwathGeolocation& operator=(const SwathGeolocation&);
    SwathGeolocation& operator=(SwathGeolocation&&) noexcept;
    ~SwathGeolocation();

private:
    explicit SwathGeolocation(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace sorae
