// The scan angle each APT image word stands for.
//
// The AVHRR sweeps +-55.37 degrees about nadir in 2048 evenly spaced samples
// (NOAA KLM User's Guide, table 8.3.1.3.1-1: 2048 Earth samples, +-55.4
// degrees, scanning east to west on a northbound pass). The APT processor
// makes 909 words of them, averaging a varying number of samples so that the
// words lie at nearly even distances on the ground (the Guide's "APT
// linearization", section 4.2.3). We model that over a sphere of mean radius
// seen from the reference altitude of 833 km: each word covers the same
// ground distance, except towards the ends of the scan where one sample is
// already wider than that and a word takes one sample. Fitting the coasts of
// a real NOAA 19 pass confirmed this shape; exactly even ground steps put the
// swath's outer parts some 8 words too far in.
#pragma once

#include <array>

namespace sorae {

inline constexpr double kAvhrrHalfScanDeg = 55.37;
inline constexpr double kAvhrrReferenceAltitudeKm = 833.0;
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
