// The scan angle each APT image word stands for.
//
// The AVHRR sweeps +-55.37 degrees about nadir in 2048 evenly spaced samples
// (NOAA KLM User's Guide, table 8.3.1.3.1-1: 2048 Earth samples, +-55.4
// degrees, scanning east to west on a northbound pass). The APT processor
// makes 909 words of them, averaging a varying number of samples so that the
// words lie at nearly even distances on the ground (the Guide's "APT
// linearization", section 4.2.3). We model that over a sphere of mean radius
// seen from a design altitude: each word covers the same ground distance,
// except towards the ends of the scan where one sample is already wider than
// that and a word takes one sample. The table is built into the satellite and
// does not follow its altitude: the words keep these angles however high the
// satellite flies, and only the ground they land on changes (that is the swath
// geometry's business).
//
// The design altitude is what the coasts of a real NOAA 19 pass (2019-05-21,
// Spain and Morocco, 851 km above the ellipsoid) say, measured against a
// full-resolution shoreline. The altitude moves the words between nadir and the
// swath's ends, which stay where they are: a table for 833 km (the morning
// satellites' altitude) puts the coasts 200 to 300 km from the ground track 3
// to 7 km too near it, and near nadir the coasts then lie 2.8 km (median) from
// the true ones; 880 km brings that to 1.9 km and the whole swath from 2.3 to
// 1.7 km, and higher still helps near nadir but spoils the middle of the swath
// (930 km: 1.2 km near nadir, 3.5 km from 500 to 1000 km). Exactly even ground
// steps put the swath's outer parts some 9 words too far in.
#pragma once

#include <array>

namespace sorae {

inline constexpr double kAvhrrHalfScanDeg = 55.37;
inline constexpr double kAptTableDesignAltitudeKm = 880.0;
inline constexpr double kLinearisationEarthRadiusKm = 6371.0;

// Word positions in scan order: 0 is the first word of the line (on the
// satellite's right), 908 the last. Angles in radians, negative to the right.
class AptScanAngles {
public:
    static const AptScanAngles& instance();

    double angleOfWord(int scanWord) const { return angles_[scanWord]; }
    // Fractional positions between word centres, straight-line between them,
    // carried on linearly half a word beyond the ends.
    double angleAt(double scanColumn) const;
    // The inverse of angleAt; positions beyond the ends are extrapolated.
    double columnOf(double angleRad) const;
    // Scan angle change per word at nadir (radians).
    double stepAtNadir() const { return angles_[455] - angles_[454]; }

private:
    AptScanAngles();
    std::array<double, 909> angles_{};
};

}  // namespace sorae
