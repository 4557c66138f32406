// Which one-degree cells of latitude and longitude a picture may show, found
// by sampling the picture's ground points on a coarse grid and widening every
// sample by the distance to its neighbours. It over-covers, never under-
// covers, so a place outside it is certainly off the picture; tracing lines
// over the picture uses it to skip the rest of the world cheaply. It also
// gives the picture's extent, from which the grid spacing is chosen.
#pragma once

#include <bitset>
#include <functional>
#include <optional>

#include "geo/swath_geolocation.h"

namespace sorae {

using PictureToGround = std::function<std::optional<GeoPoint>(PicturePoint)>;

class SwathFootprint {
public:
    // Samples columns 0..columns-1 and rows 0..rows-1 every samplePixels
    // (and the last column and row). A footprint without any sampled ground
    // point is empty.
    static SwathFootprint fromPicture(const PictureToGround& groundPoint, int columns, int rows,
                                      int samplePixels = 16);
    // The whole world: every place may be on the picture.
    static SwathFootprint wholeWorld();

    bool mayShow(GeoPoint place) const;
    bool empty() const { return samples_ == 0; }
    // Extent of the sampled ground points: the latitude span in degrees and
    // the largest arc between two sampled points seen from the middle of
    // the picture, both 0 for an empty footprint.
    double latitudeSpanDeg() const { return maxLatitude_ - minLatitude_; }
    double extentDeg() const { return extentDeg_; }

private:
    static constexpr int kLatCells = 180;
    static constexpr int kLonCells = 360;
    static int latCell(double latitude);
    static int lonCell(double longitude);
    void markAround(GeoPoint centre, double radiusDeg);

    std::bitset<kLatCells * kLonCells> cells_;
    int samples_ = 0;
    double minLatitude_ = 0.0;
    double maxLatitude_ = 0.0;
    double extentDeg_ = 0.0;
};

// Great-circle arc between two places, in degrees.
double ArcDegrees(GeoPoint a, GeoPoint b);

}  // namespace sorae
