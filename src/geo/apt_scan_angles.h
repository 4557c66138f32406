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
// already wider than that and a word takes one sample. The table is built
// into the satellite and does not follow its altitude: the words keep these
// angles however high the satellite flies, and only the ground they land on
// changes (that is the swath geometry's business).
//
// The coasts of a real NOAA 19 pass (851 km up over Spain) agree with this
// shape: exactly even ground steps put the swath's outer parts some 9 words
// too far in; a table for 870 km instead of 833 moves words 100 to 250 by up
// to one word, less than that pass can tell. What is left at its eastern
// edge (2 to 3 words, 0.15 to 0.2 degrees) fits a turn of the whole scan,
// which near nadir is under a word and lost in that pass's scatter; the
// coast alignment finds it as a roll.
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
